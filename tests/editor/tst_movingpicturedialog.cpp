#include "core/MessageBox.h"
#include "core/MessageIds.h"
#include "editor/MovingPictureDialog.h"
#include "editor/TopForm.h"
#include "tests/support/EditorLoading.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/TestPictures.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QImageReader>
#include <QSpinBox>
#include <QTest>

using namespace TestPictures;

// The moving picture's choices, by keys alone, and File > Export Moving
// Picture in the real editor.
class TestMovingPictureDialog : public QObject
{
    Q_OBJECT
private slots:
    void init() { m_env.reset(new TestEnvironment); }
    void cleanup()
    {
        MessageSeam::reset();
        m_env.reset();
    }
    void choicesByKeys();
    void exportFromTheEditor();

private:
    QScopedPointer<TestEnvironment> m_env;
};

void TestMovingPictureDialog::choicesByKeys()
{
    MovingPictureDialog dialog(QStringLiteral("Summer 2026"));
    dialog.show();
    QApplication::setActiveWindow(&dialog);
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    QCOMPARE(dialog.options().format, MovingPicture::Format::Mp4);
    QCOMPARE(dialog.options().edge, 720);
    QCOMPARE(dialog.options().seconds, 6.0);
    dialog.Format->setFocus();
    for (int i = 0; i < 3; ++i)
        QTest::keyClick(dialog.Format, Qt::Key_Down);
    QTest::keyClick(&dialog, Qt::Key_S, Qt::AltModifier);
    QVERIFY(dialog.Size->hasFocus());
    QTest::keyClick(dialog.Size, Qt::Key_Up);
    QTest::keyClick(&dialog, Qt::Key_T, Qt::AltModifier);
    QVERIFY(dialog.Seconds->hasFocus());
    dialog.Seconds->selectAll();
    QTest::keyClicks(dialog.Seconds, QStringLiteral("4"));
    const MovingPicture::Options options = dialog.options();
    QCOMPARE(options.format, MovingPicture::Format::Gif);
    QCOMPARE(options.edge, 480);
    QCOMPARE(options.seconds, 4.0);
    QCOMPARE(options.framesPerSecond, 20);
    QCOMPARE(options.caption, QStringLiteral("Summer 2026"));
    QTest::keyClick(&dialog, Qt::Key_U, Qt::AltModifier);
    QTRY_VERIFY(!dialog.ShowCaption->isChecked());
    QCOMPARE(dialog.options().caption, QString());
    QCOMPARE(dialog.fileFilter(), QStringLiteral("GIF picture, for mail (*.gif)"));
    QCOMPARE(dialog.Format->accessibleName(), QStringLiteral("Format"));
    QCOMPARE(dialog.Size->accessibleName(), QStringLiteral("Size"));
    QCOMPARE(dialog.Seconds->accessibleName(), QStringLiteral("Seconds for one turn"));
    QTest::keyClick(&dialog, Qt::Key_Return);
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
}

void TestMovingPictureDialog::exportFromTheEditor()
{
    QScopedPointer<TopForm> form;
    QVERIFY(LoadEditor(form, QString()));
    const QString photo = WriteFile(m_env->path(QStringLiteral("red.jpg")), Encode(Solid(QSize(300, 300), Qt::red), "jpeg"));
    QVERIFY(form->faceCommands.PutPhoto(2, photo, 3, Msg::InsertPhotoStep));
    const QString out = m_env->path(QStringLiteral("turning.gif"));
    QStringList asked;
    MessageSeam::setDialogHandler([&](QDialog &dialog) {
        asked << dialog.metaObject()->className();
        if (auto *choices = qobject_cast<MovingPictureDialog *>(&dialog)) {
            choices->Format->setCurrentIndex(3);
            choices->Size->setCurrentIndex(0);
            choices->Seconds->setValue(2);
            dialog.accept();
        } else if (auto *chooser = qobject_cast<QFileDialog *>(&dialog)) {
            QCOMPARE(chooser->defaultSuffix(), QStringLiteral("gif"));
            chooser->selectFile(out);
            dialog.accept();
        }
    });
    form->actions->ExportMovingPicture->trigger();
    QCOMPARE(asked, QStringList({"MovingPictureDialog", "QFileDialog"}));
    QVERIFY(MessageSeam::shownMessages().isEmpty());
    QImageReader reader(out);
    QCOMPARE(reader.format(), QByteArray("gif"));
    QCOMPARE(reader.imageCount(), 40);
    QCOMPARE(reader.size(), QSize(480, 480));
}

QTEST_MAIN(TestMovingPictureDialog)
#include "tst_movingpicturedialog.moc"
