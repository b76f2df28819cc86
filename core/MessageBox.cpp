#include "core/MessageBox.h"

#include "resources/StringTable.h"

#include <cstdio>

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

// With nobody to answer, the answer that changes nothing.
int answerWithoutWindow(MsgButtons buttons)
{
    switch (buttons) {
    case MsgButtons::OKCancel:
    case MsgButtons::RetryCancel:
        return IDCANCEL;
    case MsgButtons::YesNo:
        return IDNO;
    case MsgButtons::OK:
        break;
    }
    return IDOK;
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
    std::fputs(qPrintable(text + QLatin1Char('\n')), stderr);
    return answerWithoutWindow(buttons);
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
const DialogHandler &dialogHandler()
{
    return seam().dialogHandler;
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
