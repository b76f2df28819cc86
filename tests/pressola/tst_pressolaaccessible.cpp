#include "pressola/PressolaCtrl.h"
#include "tests/support/TestEnvironment.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QCursor>
#include <QMouseEvent>
#include <QTest>

// What assistive technology reads of a Pressola button, through Qt's
// accessibility API as a screen reader's bridge reads it.
class TestPressolaAccessible : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void isAPushButton();
    void name_data();
    void name();
    void focusedState();
    void pressedAndHotTrackedStates();
    void disabledState();
    void pressActionFiresClick();
    void disabledButtonHasNoPressAction();

private:
    QAccessibleInterface *iface() const { return QAccessible::queryAccessibleInterface(m_button); }
    void press(QEvent::Type type);

    QScopedPointer<TestEnvironment> m_env;
    QWidget *m_parent = nullptr;
    CPressolaCtrl *m_button = nullptr;
    int m_clicks = 0;
};

void TestPressolaAccessible::init()
{
    m_env.reset(new TestEnvironment);
    m_parent = new QWidget;
    m_parent->resize(300, 200);
    m_button = new CPressolaCtrl(m_parent);
    m_button->move(20, 30);
    m_button->SetResourceName(QStringLiteral("STANDARD"));
    m_clicks = 0;
    connect(m_button, &CPressolaCtrl::Click, this, [this] { ++m_clicks; });
    QCursor::setPos(m_parent->mapToGlobal(QPoint(250, 180)));
}

void TestPressolaAccessible::cleanup()
{
    delete m_parent;
    m_parent = nullptr;
    m_button = nullptr;
    m_env.reset();
}

void TestPressolaAccessible::press(QEvent::Type type)
{
    const QPointF at(5, 5);
    QMouseEvent e(type, at, m_button->mapToGlobal(at), Qt::LeftButton,
                  type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(m_button, &e);
}

void TestPressolaAccessible::isAPushButton()
{
    QAccessibleInterface *button = iface();
    QVERIFY(button);
    QCOMPARE(button->role(), QAccessible::Button);
    QCOMPARE(button->object(), m_button);
    QVERIFY(button->state().focusable);
    // Its window lists it among its children.
    QAccessibleInterface *window = QAccessible::queryAccessibleInterface(m_parent);
    QVERIFY(window->indexOfChild(button) >= 0);
}

void TestPressolaAccessible::name_data()
{
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("toolTip");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("description");
    QTest::newRow("caption and tip") << "Preview"
                                     << "Preview cube in web page"
                                     << "Preview"
                                     << "Preview cube in web page";
    QTest::newRow("caption only") << "About"
                                  << ""
                                  << "About"
                                  << "";
    QTest::newRow("tip only") << ""
                              << "Email a cube"
                              << "Email a cube"
                              << "Email a cube";
    QTest::newRow("neither") << ""
                             << ""
                             << ""
                             << "";
}

void TestPressolaAccessible::name()
{
    QFETCH(QString, caption);
    QFETCH(QString, toolTip);
    m_button->SetCaption(caption);
    m_button->setToolTip(toolTip);
    QTEST(iface()->text(QAccessible::Name), "name");
    QTEST(iface()->text(QAccessible::Description), "description");
}

void TestPressolaAccessible::focusedState()
{
    m_parent->show();
    m_parent->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_parent));
    m_button->clearFocus();
    QVERIFY(!iface()->state().focused);
    m_button->setFocus(Qt::TabFocusReason);
    QVERIFY(m_button->hasFocus());
    QVERIFY(iface()->state().focused);
}

void TestPressolaAccessible::pressedAndHotTrackedStates()
{
    QVERIFY(!iface()->state().pressed);
    QVERIFY(!iface()->state().hotTracked);
    press(QEvent::MouseButtonPress);
    QCOMPARE(m_button->ButtonState(), int(CPressolaCtrl::StateDown));
    QVERIFY(iface()->state().pressed);
    press(QEvent::MouseButtonRelease);
    QVERIFY(!iface()->state().pressed);

    QCursor::setPos(m_button->mapToGlobal(QPoint(5, 5)));
    QMouseEvent move(QEvent::MouseMove, QPointF(5, 5), m_button->mapToGlobal(QPointF(5, 5)), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QCoreApplication::sendEvent(m_button, &move);
    QCOMPARE(m_button->ButtonState(), int(CPressolaCtrl::StateOver));
    QVERIFY(iface()->state().hotTracked);
    QVERIFY(!iface()->state().pressed);
}

void TestPressolaAccessible::disabledState()
{
    QVERIFY(!iface()->state().disabled);
    m_button->SetEnabled(false);
    QVERIFY(iface()->state().disabled);
}

void TestPressolaAccessible::pressActionFiresClick()
{
    QAccessibleActionInterface *actions = iface()->actionInterface();
    QVERIFY(actions);
    QVERIFY(actions->actionNames().contains(QAccessibleActionInterface::pressAction()));
    const int before = m_button->ButtonState();
    actions->doAction(QAccessibleActionInterface::pressAction());
    QCOMPARE(m_clicks, 1);
    // As with Enter and Space, the picture does not change.
    QCOMPARE(m_button->ButtonState(), before);
}

void TestPressolaAccessible::disabledButtonHasNoPressAction()
{
    m_button->SetEnabled(false);
    QAccessibleActionInterface *actions = iface()->actionInterface();
    QVERIFY(!actions->actionNames().contains(QAccessibleActionInterface::pressAction()));
    actions->doAction(QAccessibleActionInterface::pressAction());
    QCOMPARE(m_clicks, 0);
}

QTEST_MAIN(TestPressolaAccessible)
#include "tst_pressolaaccessible.moc"
