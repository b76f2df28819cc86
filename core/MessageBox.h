#pragma once

#include <QList>
#include <QString>
#include <functional>

class QDialog;

enum class MsgButtons {
    OK,
    OKCancel,
    YesNo,
    RetryCancel
};

// Answers, numbered as the message box answers of old.
enum MsgAnswer {
    IDOK = 1,
    IDCANCEL = 2,
    IDRETRY = 4,
    IDYES = 6,
    IDNO = 7
};

// Every message to the user goes through here: the text of a string-table
// id, its buttons and the application title as caption. A program with
// windows shows it in a message box (InstallMessageBoxWindows); one without
// writes the text to standard error and takes the answer that changes
// nothing (OK, Cancel or No).
int ShowMessage(int textId, MsgButtons buttons = MsgButtons::OK);
// The same with "%1", "%2", ... of the text replaced by the arguments.
int ShowMessage(int textId, const QStringList &arguments, MsgButtons buttons = MsgButtons::OK);
QString MessageText(int textId, const QStringList &arguments = {});

// Every modal dialog is shown through here, so that tests can drive it.
// It and the message box live with the windows (MessageBoxWindow.cpp).
int ShowModal(QDialog &dialog);
// Messages from now on are shown in a message box over the active window.
void InstallMessageBoxWindows();

// The seam that tests (and the command-line tool) use instead of a screen.
namespace MessageSeam {
using MessageHandler = std::function<int(int textId, MsgButtons buttons)>;
using DialogHandler = std::function<void(QDialog &dialog)>;

void setMessageHandler(MessageHandler handler);
void setDialogHandler(DialogHandler handler);
// The dialog handler in place; empty when none is.
const DialogHandler &dialogHandler();
void reset();
QList<int> shownMessages();
// The texts as shown, arguments in place; the last is the one being shown.
QStringList shownTexts();
} // namespace MessageSeam
