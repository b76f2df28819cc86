#include "core/MessageBox.h"

#include "core/Globals.h"
#include "core/MessageIds.h"
#include "resources/StringTable.h"

#include <QApplication>
#include <QDialog>
#include <QMessageBox>

namespace {
struct SeamState
{
    MessageSeam::MessageHandler messageHandler;
    MessageSeam::DialogHandler dialogHandler;
    QList<int> shown;
    QStringList texts;
};

SeamState &seam()
{
    static SeamState state;
    return state;
}

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
} // namespace

int ShowMessage(int textId, MsgButtons buttons)
{
    return ShowMessage(textId, QStringList(), buttons);
}

QString MessageText(int textId, const QStringList &arguments)
{
    QString text = LoadResString(textId);
    for (qsizetype i = 0; i < arguments.size(); ++i)
        text.replace(QLatin1Char('%') + QString::number(i + 1), arguments.at(i));
    return text;
}

int ShowMessage(int textId, const QStringList &arguments, MsgButtons buttons)
{
    const QString text = MessageText(textId, arguments);
    seam().shown.append(textId);
    seam().texts.append(text);
    if (seam().messageHandler)
        return seam().messageHandler(textId, buttons);
    QMessageBox box(QApplication::activeWindow());
    box.setWindowTitle(gAppTitle.isEmpty() ? LoadResString(Msg::AppTitle) : gAppTitle);
    box.setText(text);
    box.setStandardButtons(standardButtons(buttons));
    return answerFor(box.exec());
}

int ShowModal(QDialog &dialog)
{
    if (seam().dialogHandler) {
        seam().dialogHandler(dialog);
        return dialog.result();
    }
    return dialog.exec();
}

namespace MessageSeam {
void setMessageHandler(MessageHandler handler)
{
    seam().messageHandler = std::move(handler);
}
void setDialogHandler(DialogHandler handler)
{
    seam().dialogHandler = std::move(handler);
}
void reset()
{
    seam() = SeamState{};
}
QList<int> shownMessages()
{
    return seam().shown;
}
QStringList shownTexts()
{
    return seam().texts;
}
} // namespace MessageSeam
