#include "editor/AboutBox.h"

#include "core/Globals.h"
#include "core/MessageIds.h"
#include "core/Twips.h"
#include "resources/StringTable.h"
#include "resources/Resources.h"

#include <QLabel>
#include <QPushButton>

AboutBox::AboutBox(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("AboutBox"));
    setFixedSize(TwipsToPixels(6264), TwipsToPixels(2796));
    Back = new QLabel(this);
    Back->setPixmap(LoadArtwork(QStringLiteral("about.png")));
    Back->setGeometry(0, 0, 420, 191);
    Version = TwipsLabel(this, 1635, 750, 660, 225);
    Version->setText(QStringLiteral("Version"));
    VersionNumber = TwipsLabel(this, 2430, 750, 840, 225);
    VersionNumber->setText(QStringLiteral("0.0.0000"));
    ProjectHome = TwipsLabel(this, 1650, 2055, 4500, 195);
    ProjectHome->setTextInteractionFlags(Qt::TextSelectableByMouse);
    for (QLabel *label : {Version, VersionNumber, ProjectHome})
        label->setFont(QFont(QStringLiteral("Tahoma"), 8));
    OK = new QPushButton(this);
    OK->setGeometry(TwipsRect(2475, 2280, 1860, 390));
    OK->setDefault(true);
    connect(OK, &QPushButton::clicked, this, &AboutBox::OK_Click);
}

void AboutBox::Form_Load()
{
    setWindowTitle(gAppTitle);
    OK->setText(LoadResString(Msg::OK));
    VersionNumber->setText(VersionText(AppMajor, AppMinor, AppRevision));
    ProjectHome->setText(LoadResString(Msg::ProjectHome).arg(QStringLiteral(VEXILO_HOMEPAGE)));
}

void AboutBox::OK_Click()
{
    accept();
}

QString AboutBox::VersionText(int major, int minor, int revision)
{
    return QStringLiteral("%1.%2.%3").arg(major).arg(minor).arg(revision);
}
