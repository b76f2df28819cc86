#include "shell/FrameStyle.h"
#include "tests/support/ImagePlugins.h"

#include <QApplication>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QTest>

// The program's style gives the frame's menu bar and the editor's
// sub-window their icons without loading an image format plugin.
class TestFrameStyle : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { QApplication::setStyle(new FrameStyle); }
    void frameLoadsNoImagePlugin();
    void iconsAreDrawn_data();
    void iconsAreDrawn();
};

void TestFrameStyle::frameLoadsNoImagePlugin()
{
    QMainWindow frame;
    frame.setMenuBar(new QMenuBar(&frame));
    auto *area = new QMdiArea(&frame);
    frame.setCentralWidget(area);
    area->addSubWindow(new QWidget, Qt::FramelessWindowHint);
    QVERIFY(!ImagePluginLoaded());
}

void TestFrameStyle::iconsAreDrawn_data()
{
    QTest::addColumn<int>("icon");
    QTest::newRow("title bar menu") << int(QStyle::SP_TitleBarMenuButton);
    QTest::newRow("title bar close") << int(QStyle::SP_TitleBarCloseButton);
    QTest::newRow("title bar restore") << int(QStyle::SP_TitleBarNormalButton);
    QTest::newRow("extension arrow") << int(QStyle::SP_ToolBarHorizontalExtensionButton);
    QTest::newRow("a dialog's icon, the platform style's") << int(QStyle::SP_MessageBoxWarning);
}

void TestFrameStyle::iconsAreDrawn()
{
    QFETCH(int, icon);
    QVERIFY(!QApplication::style()->standardIcon(QStyle::StandardPixmap(icon)).pixmap(16).isNull());
}

QTEST_MAIN(TestFrameStyle)
#include "tst_framestyle.moc"
