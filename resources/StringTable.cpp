#include "resources/StringTable.h"

#include <QHash>

namespace {

const char kBody[] =
    "\r\n"
    "Congratulations! Attached to this message is a personalized Vexilo made especially for you.  \r\n"
    "\r\n"
    "To view it:\r\n"
    "(1) Save the attachment to your hard drive, noting its file name and location.  Make sure the file name of the "
    "saved attachment ends with a \".EXE\" extension.\r\n"
    "(2) Double-click the file and enjoy! Your Vexilo plays automatically in your browser.\r\n"
    "(3) You can make your own printed version of the Vexilo by clicking Print and following the directions.";

const char kWebPageBody[] =
    "\r\n"
    "Congratulations! Attached to this message is a personalized Vexilo made especially for you.  \r\n"
    "\r\n"
    "To view it, open the attached web page, Cube.html, on any computer, tablet or phone: it plays in your web "
    "browser.  Drag the cube to turn it, or click Print to make your own printed version and follow the "
    "directions.";

const char kBothBody[] =
    "\r\n"
    "Congratulations! Attached to this message is a personalized Vexilo made especially for you.  \r\n"
    "\r\n"
    "To view it, open the attached web page, Cube.html, on any computer, tablet or phone: it plays in your web "
    "browser.  Drag the cube to turn it, or click Print to make your own printed version and follow the "
    "directions.\r\n"
    "On Windows you can also save Cube.exe to your hard drive and double-click it: the Vexilo plays automatically "
    "in your browser.";

const QHash<int, const char *> &table()
{
    static const QHash<int, const char *> strings = {
        {1, "OK"},
        {2, "&Retry"},
        {3, "Cancel"},
        {4, "Insert the Picture CD:"},
        {5, "that contains the file:"},
        {6, "Insert Picture CD"},
        {7, "Save Vexilo"},
        {8,
         "A number of files will be saved on your disk that allow you to publish the Vexilo to a web site.  We "
         "recommend that you enter the name of a new directory below.  All the files will be saved to that location."},
        {9, "&Enter the name of the directory to create:"},
        {10, "Double Click, Drag and Drop or Insert a photo into each face of the cube:"},
        {11, "Your Photos:"},
        {12, "Enter web page caption:"},
        {13, "Could not find a Web browser on your system.  You may need to install one."},
        {14, "A Web browser was found but it could not be launched."},
        {15, "The dropped photo did not load properly."},
        {16, "The type of file dropped is not allowed.  Try using a .bmp or .jpg file."},
        {17, "You must first select a photo to insert from those shown in Your Photos."},
        {18, "No photos were found.  Insert a VevudedED into CDROM drive and restart this application."},
        {19, "The selected photo failed to load."},
        {20, "The image pasted from the clipboard failed to load.  The format may be invalid."},
        {21, "Unable to create needed files for Vexilo."},
        {22, "Unable to Create Temp directory for HTML."},
        {23, "Unable to create specified directory."},
        {24, "Initializing..."},
        {25, "Launching Browser..."},
        {26, "Done."},
        {27, "Building Vexilo..."},
        {28, "Copying HTML Files..."},
        {29, "Creating Image Files..."},
        {30, "Saving Files..."},
        {31, "Cube Progress"},
        {32, "Norvane\u00ae Vexilo"},
        {33, "&Remove"},
        {34, "C&ut"},
        {35, "&Copy"},
        {36, "&Paste"},
        {37, "Caption for web page"},
        {38, "Click to select this face"},
        {39, "Put a photo here"},
        {40, "Insert photo into cube"},
        {41, "Preview cube in web page"},
        {42, "Save cube html files to a directory"},
        {43, "Picture CD photos"},
        {44, "Face 1"},
        {45, "Face 2"},
        {46, "Face 3"},
        {47, "Face 4"},
        {48, "Face 5"},
        {49, "Save"},
        {50, "About"},
        {51, "Preview"},
        {52, "Face 6"},
        {53, "Insert"},
        {54, "Email a cube"},
        {55, "Send"},
        {56, "&Send"},
        {57, "Send Vexilo"},
        {58, "&To:"},
        {59, "&From:"},
        {60, "S&ubject:"},
        {61, "Automatically send the Vexilo to the email addresses listed in the \"To\" field.  You must be connected "
             "to the Internet to use this option."},
        {62, "Norvane Vexilo from a friend"},
        {63, "Sending Vexilo..."},
        {64, "Send Complete."},
        {65, "Disconnecting from internet..."},
        {66, "Connecting to internet..."},
        {67, kBody},
        {68, "An email address must be provided for the recipent in the \"To\" field."},
        {69, "An email return adress must be provided in the \"From\" field."},
        {70, "You may need to specify an alternate server if you are connected to the Internet and using a network "
             "email server (e.g., if you are not connecting to the internet using a modem).  Ask your network "
             "administrator if you are unsure of the server name to enter."},
        {71, "Automatic Sending Services"},
        {72, "Advanced Options"},
        {73, "Server:"},
        {74, "&Advanced..."},
        {75, "A valid mail server name must be provided."},
        {76,
         "An Internet communication error has occurred and automatic sending was not completed.  Try again later or "
         "choose the Save the file to Disk option and manually attach the postcard to email using your own email "
         "application.  For instructions on attaching files to an email, see the email application's online help."},
        {77, "Unable to detect an active Internet connection.  Ensure that you are currently connected to the Internet "
             "using your Internet Service Provider (ISP) software (for example using AOL*)."},
        {78, "The automatic sending service is unavailable at this time.  Try again later or choose the Save the file "
             "to Disk option and manually attach the postcard to email using your own email application. For "
             "instructions on attaching files to an email, see the email application's online help."},
        {79, "Automatic sending failed due to slow network response.  Ensure that you are currently connected to the "
             "Internet. If you are connected and using a network email server (e.g., you are not connecting to the "
             "internet using a modem), update your server information by clicking \"Advanced...\"."},
        {80, "Unable to start automatic sending.  Ensure that you are currently connected to the Internet. If you are "
             "connected and using a network email server (e.g., you are not connecting to the internet using a modem), "
             "update your server information by clicking \"Advanced...\"."},
        {81, "Automatic sending service is not available.  Choose the Save the file to Disk option and manually attach "
             "the postcard to email using your own email application.  For instructions on attaching files to an "
             "email, see the email application's online help."},
        {82, "The specified directory already exists.  Would you like to place the Vexilo files there?"},
        {83, "Customer Support Online"},
        {84, "An error occured while attempting to format the mail message."},
        {85, "Your Vexilo has been successfully sent!"},
        // The support page and the default relay are endpoints of our choice:
        // the help page installed beside the program, and the local mail
        // transfer agent, which relays for a desktop that has one.
        {86, "Help/vexilo-help.html"},
        {87, "localhost"},
        {88, "Vexilo"},
        {89, "Cube.exe"},
        {90, "Use Default Norvane\u00ae Vexilo SMTP Server"},
        {91, "Use an Alternate SMTP Server"},
        {92, "ENU"},
        {93, "The mail server %1 could not prove that it is the server it claims to be (%2).  Nothing was sent.  Check "
             "the server name, or ask your network administrator which server to use."},
        {94,
         "The mail server %1 does not offer a secure connection (%2).  Nothing was sent.  Check the server name and "
         "port by clicking \"Advanced...\"."},
        {95, "A secure connection to the mail server %1 could not be made (%2).  Nothing was sent.  Try again later or "
             "check the server name and port by clicking \"Advanced...\"."},
        {96,
         "The mail server %1 asks for a sign-in method that is not supported (%2).  Nothing was sent.  Ask your mail "
         "provider for a server that accepts a user name and password."},
        {97, "The mail server %1 did not accept the sign-in (%2).  Nothing was sent."},
        {98, "The mail server %1 asks you to sign in on your mail provider's web site first (%2).  Nothing was sent.  "
             "Some providers also ask you to make an application password there."},
        {99,
         "The mail server %1 asks for a password over a connection that is not secure.  The password was not sent.  "
         "Use a server name that begins with \"smtps://\" or \"smtp://\" to choose a secure connection."},
        {100, "The address %1 contains characters that mail servers do not accept.  Nothing was sent."},
        {101, "A user name cannot contain a line break."},
        {102, "No password store is running on this computer: the password will be used for this send only."},
        {103, "Sign In to Mail Server"},
        {104, "Mail server:"},
        {105, "&User name:"},
        {106, "&Password:"},
        {107, "&Remember password"},
        {108, "Also attach the cube as a web page (for Mac, Linux and phones)"},
        {109, "The mail server %1 asks for the password of %2 and none was given.  Nothing was sent."},
        {110, "The mail server asks for your user name and password."},
        {111, "The mail server did not accept them: %1"},
        {112,
         "The cube could not be saved: %1 could not be written (%2).  The files already in the folder were left as "
         "they were."},
        {113, "Project home: %1"},
        {120, "The photo %1 is no longer there.  It has been taken out of Your Photos."},
        {121, "Picture CD %1"},
        {122, "%1 (%2 of %3 thumbnails made)"},
        {123, "Open Photo Folder"},
        {124, "&Open Photo Folder\u2026"},
        {125, "&Refresh"},
        {126, "&File"},
        {127, "Open &Recent"},
        {128, "&Quit"},
        {129, "&Help"},
        {130, "&About Vexilo"},
        {131, "Vexilo &Help"},
        {132, "The address %1 is longer than mail servers accept.  Nothing was sent."},
        {140, "&Edit"},
        {141, "&Undo"},
        {142, "&Redo"},
        {143, "Insert Photo"},
        {144, "Remove Photo"},
        {145, "Cut Photo"},
        {146, "Paste Photo"},
        {147, "Drop Photo"},
        {148, "Type Caption"},
        {149, "&New Cube"},
        {150, "&Open Cube\u2026"},
        {151, "&Save Cube"},
        {152, "Save Cube &As\u2026"},
        {153, "Recent &Cubes"},
        {154, "Vexilo cubes (*.vexilo)"},
        {155, "The cube %1 could not be opened: it is damaged or is not a Vexilo cube.  Nothing was changed."},
        {156, "The cube %1 was made by a newer version of Vexilo and cannot be opened here.  Nothing was changed."},
        {157, "The photo %1 is no longer there.  Its face of the cube has been left empty."},
        {158, "The cube could not be saved: %1 could not be written (%2).  The file already there was left as it was."},
        {159, "Do you want to save the changes to %1?"},
        {160, "Untitled"},
        {161, "Vexilo closed without saving changes to a cube.  Do you want to open them again?"},
        {162, "Open Cube"},
        {163, "Save Cube"},
        {164, "Recovered Changes"},
        {166, "Turn &Left"},
        {167, "Turn R&ight"},
        {168, "Turn Photo"},
        {169, "&Fill Face"},
        {170, "Fit F&ace"},
        {171, "&Blurred Backdrop"},
        {172, "Reset Fra&ming"},
        {173, "Frame P&hoto\u2026"},
        {174, "New Photos Fi&ll Their Face"},
        {175, "Fill Face"},
        {176, "Fit Face"},
        {177, "Change Backdrop"},
        {178, "Reset Framing"},
        {179, "Move Photo"},
        {180, "Zoom Photo"},
        {181, "Frame Photo"},
        {182, "Low resolution: this face prints at %1 pixels per inch.  It prints sharp from 200."},
        {183, "Drag the square to choose what the face shows.  The wheel or + and - zoom, the arrow keys move it."},
        {184, "The photo, with the square its face shows"},
        {185,
         "A secure connection to the mail server %1 could not be started: it refused the greeting that asks for one "
         "(%2).  Nothing was sent.  Check the server name and port by clicking \"Advanced...\"."},
        {186, "The photo %1 is too large to open: it has more pixels, or more parts, than Vexilo can safely read.  "
              "Save a smaller copy of it with your photo program and use that."},
        {187, "&Export Moving Picture\u2026"},
        {188, "Export Moving Picture"},
        {189, "&Format:"},
        {190, "The photo folder %1 could not be opened.  Check that it is still there and that you may read it, or "
              "open another folder with File > Open Photo Folder\u2026 (Ctrl+O)."},
        {191, "1 photo is unreadable."},
        {192, "%1 photos are unreadable."},
        {193, "1 folder is unreadable."},
        {194, "%1 folders are unreadable."},
        {195, "There are no photos in this folder.  Open a photo folder with File > Open Photo Folder\u2026 (Ctrl+O), "
              "or drop a folder here."},
        {196, "The photo %1 cannot be put on the cube: its name is not written in UTF-8.  Rename it in your file "
              "manager, then choose Refresh from the right-click menu of Your Photos."},
        {197, "&Size:"},
        {198, "Seconds for one &turn:"},
        {199, "Making the moving picture\u2026"},
        {250, "The moving picture %1 could not be written (%2).  Nothing was left behind.  Check that there is room "
              "on the disk, or choose another folder."},
        {251, "MP4 video, for messaging apps and the web (*.mp4)"},
        {252, "WebM video (*.webm)"},
        {253, "Animated WebP picture (*.webp)"},
        {254, "GIF picture, for mail (*.gif)"},
        {255, "%1 x %1 pixels"},
        {256, "The cube, turning as it will for those you send it to"},
        {257, "Drag the cube, or use the arrow keys, to turn it.  F6 moves between the cube and the editor."},
        {258, "Show the caption &under the cube"},
        // The language of the cube's web page, as the page's language tag.
        {230, "en"},
        {200, "Send the cube &as:"},
        {201, "A web page, Cube.html (any device)"},
        {202, "A Windows program, Cube.exe"},
        {203, "Both, Cube.html and Cube.exe"},
        {204, "&Message:"},
        {205, "The mail server %1 refuses programs, so the cube goes as a web page."},
        {206, "The mail server %1 refused the message because of what it carries: \"%2\"  Nothing was sent.  Many "
              "mail providers refuse programs such as Cube.exe, even inside a zip file.  Do you want to send the cube "
              "as a web page instead, to the same recipients with the same subject and message?"},
        {207, "The mail server %1 refused the message: \"%2\"  Nothing was sent."},
        {208, "The mail server %1 only takes sign-in methods that Vexilo does not have (%2).  Nothing was sent.  "
              "Providers such as Outlook.com and Google Workspace no longer take a password from programs like "
              "Vexilo.  Do you want to send the cube with your own mail program instead?"},
        {209, "Use My &Mail Program"},
        {210, "No mail program is set up on this computer (%1).  Set one up in your desktop's settings, or save the "
              "cube and attach it to a message yourself."},
        {211, kWebPageBody},
        {212, kBothBody},
        {213, "Your mail program has the message, with the cube attached.  Check it there and send it."},
        {214, "The message could not be handed to your mail program (%1).  Nothing was sent."},
    };
    return strings;
}

} // namespace

QString LoadResString(int id)
{
    const char *text = table().value(id, nullptr);
    return text ? QString::fromUtf8(text) : QString();
}
