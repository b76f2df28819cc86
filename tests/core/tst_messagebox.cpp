#include "core/MessageBox.h"
#include "core/MessageIds.h"
#include "tests/support/TestEnvironment.h"

#include <QApplication>
#include <QFile>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryFile>
#include <QTest>
#include <QTimer>

#include <cstdio>
#include <unistd.h>

// A message goes to standard error with the answer that changes nothing in
// a program without windows, and into a message box once the windows are
// installed; a test's handler takes the place of either.
class TestMessageBox : public QObject
{
    Q_OBJECT
private slots:
    void withoutWindows_data();
    void withoutWindows();
    void messageBoxWindow();
    void handlerAndResetReplaceTheBox();
    void modalDialogThroughTheSeam();
};

namespace {
// What fn writes to standard error.
template<typename Fn>
QByteArray StandardError(Fn fn)
{
    QTemporaryFile file;
    if (!file.open())
        return "(no scratch file)";
    std::fflush(stderr);
    const int saved = dup(STDERR_FILENO);
    dup2(file.handle(), STDERR_FILENO);
    fn();
    std::fflush(stderr);
    dup2(saved, STDERR_FILENO);
    close(saved);
    QFile written(file.fileName());
    return written.open(QIODevice::ReadOnly) ? written.readAll() : QByteArray("(unreadable)");
}

// Presses the button of the message box once it is shown; what it read
// goes to text and title.
void AnswerBox(QMessageBox::StandardButton button, QString *text, QString *title)
{
    QTimer::singleShot(10, [=] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box) {
            AnswerBox(button, text, title);
            return;
        }
        *text = box->text();
        *title = box->windowTitle();
        box->button(button)->click();
    });
}
} // namespace

void TestMessageBox::withoutWindows_data()
{
    QTest::addColumn<int>("buttons");
    QTest::addColumn<int>("answer");
    QTest::newRow("OK") << int(MsgButtons::OK) << int(IDOK);
    QTest::newRow("OK or Cancel") << int(MsgButtons::OKCancel) << int(IDCANCEL);
    QTest::newRow("Yes or No") << int(MsgButtons::YesNo) << int(IDNO);
    QTest::newRow("Retry or Cancel") << int(MsgButtons::RetryCancel) << int(IDCANCEL);
}

void TestMessageBox::withoutWindows()
{
    QFETCH(int, buttons);
    QFETCH(int, answer);
    TestEnvironment env;
    int given = 0;
    const QByteArray printed = StandardError([&] { given = ShowMessage(Msg::DirectoryExists, MsgButtons(buttons)); });
    QCOMPARE(given, answer);
    QCOMPARE(QString::fromLocal8Bit(printed), MessageText(Msg::DirectoryExists) + QLatin1Char('\n'));
    QCOMPARE(MessageSeam::shownMessages(), QList<int>{Msg::DirectoryExists});
}

void TestMessageBox::messageBoxWindow()
{
    TestEnvironment env;
    InstallMessageBoxWindows();
    QString text, title;
    AnswerBox(QMessageBox::Yes, &text, &title);
    QCOMPARE(ShowMessage(Msg::DirectoryExists, MsgButtons::YesNo), int(IDYES));
    QCOMPARE(text, MessageText(Msg::DirectoryExists));
    QCOMPARE(title, MessageText(Msg::AppTitle));

    AnswerBox(QMessageBox::Cancel, &text, &title);
    QCOMPARE(ShowMessage(Msg::UnableToCreateDirectory, MsgButtons::RetryCancel), int(IDCANCEL));
    QCOMPARE(text, MessageText(Msg::UnableToCreateDirectory));
}

void TestMessageBox::handlerAndResetReplaceTheBox()
{
    TestEnvironment env;
    InstallMessageBoxWindows();
    MessageSeam::setMessageHandler([](int, MsgButtons) { return int(IDRETRY); });
    QCOMPARE(ShowMessage(Msg::UnableToCreateDirectory, MsgButtons::RetryCancel), int(IDRETRY));

    InstallMessageBoxWindows();
    MessageSeam::reset();
    // A box shown all the same is closed, so that the check can fail.
    QObject guard;
    bool boxShown = false;
    QTimer::singleShot(500, &guard, [&] {
        if (QWidget *box = QApplication::activeModalWidget()) {
            boxShown = true;
            box->close();
        }
    });
    int given = 0;
    StandardError([&] { given = ShowMessage(Msg::DirectoryExists, MsgButtons::YesNo); });
    QVERIFY(!boxShown);
    QCOMPARE(given, int(IDNO));
}

void TestMessageBox::modalDialogThroughTheSeam()
{
    TestEnvironment env;
    QDialog dialog;
    MessageSeam::setDialogHandler([](QDialog &shown) { shown.accept(); });
    QCOMPARE(ShowModal(dialog), int(QDialog::Accepted));
    MessageSeam::setDialogHandler([](QDialog &shown) { shown.reject(); });
    QCOMPARE(ShowModal(dialog), int(QDialog::Rejected));
}

QTEST_MAIN(TestMessageBox)
#include "tst_messagebox.moc"
