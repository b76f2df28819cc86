#include "core/MessageBox.h"

#include "core/Globals.h"
#include "core/MessageIds.h"
#include "resources/StringTable.h"

#include <QApplication>
#include <QDialog>
#include <QMessageBox>

namespace {
QMessageBox::StandardButtons standardButtons(MsgButtons buttons)
{
    switch (buttons) {
    case MsgButtons::OKCancel:
        return QMessageBox::Ok | QMessageBox::Cancel;
    case MsgButtons::YesNo:
        return QMessageBox::Yes | QMessageBox::No;
    case MsgButtons::RetryCancel:
        return QMessageBox::Retry | QMessageBox::Cancel;
    case MsgButtons::OK:
        break;
    }
    return QMessageBox::Ok;
}

int answerFor(int button)
{
    switch (button) {
    case QMessageBox::Cancel:
        return IDCANCEL;
    case QMessageBox::Yes:
        return IDYES;
    case QMessageBox::No:
        return IDNO;
    case QMessageBox::Retry:
        return IDRETRY;
    default:
        return IDOK;
    }
}

int showMessageBox(int, MsgButtons buttons)
{
    QMessageBox box(QApplication::activeWindow());
    box.setWindowTitle(gAppTitle.isEmpty() ? LoadResString(Msg::AppTitle) : gAppTitle);
    box.setText(MessageSeam::shownTexts().constLast());
    box.setStandardButtons(standardButtons(buttons));
    return answerFor(box.exec());
}
} // namespace

void InstallMessageBoxWindows()
{
    MessageSeam::setMessageHandler(showMessageBox);
}

int ShowModal(QDialog &dialog)
{
    if (const MessageSeam::DialogHandler &handler = MessageSeam::dialogHandler()) {
        handler(dialog);
        return dialog.result();
    }
    return dialog.exec();
}
