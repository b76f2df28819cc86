#include "pressola/PressolaCtrl.h"
#include "tests/support/TestEnvironment.h"

#include <QCursor>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QTest>

// The button's states, events and painting, with the test program's own
// bitmap resources (the editor's) as the host's.
class TestPressolaCtrl : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void initialMembers();
    void dispatchIds();
    void stateMachine_data();
    void stateMachine();
    void doubleClickFiresDblClick();
    void hoverTimerLeavesOverWithoutMouseMessages();
    void hoverTimerRunsOnlyWhileTracking();
    void missingBitmapsFallBackToUp();
    void noUpBitmapLeavesControlWithoutBitmaps();
    void textJustifyMapsToQtAlignment_data();
    void textJustifyMapsToQtAlignment();

    void paintsStateBitmap_data();
    void paintsStateBitmap();
    void paintsBackColorOutsideBitmap();
    void paintsGreyWithoutBitmaps();
    void captionPlace_data();
    void captionPlace();
    void centreReplacesMinusOneAtFirstPaint();
    void focusUnderline_data();
    void focusUnderline();
    void designModeShowsFileBitmap();

private:
    CPressolaCtrl *makeButton(const QString &resourceName);
    void enterState(int state);
    void apply(const QString &event);
    QImage render() const;
    QPoint outside() const { return m_parent->mapToGlobal(QPoint(400, 400)); }
    QPoint inside() const { return m_button->mapToGlobal(QPoint(5, 5)); }

    QScopedPointer<TestEnvironment> m_env;
    QWidget *m_parent = nullptr;
    CPressolaCtrl *m_button = nullptr;
    QStringList m_fired;
};

void TestPressolaCtrl::init()
{
    m_env.reset(new TestEnvironment);
    m_parent = new QWidget;
    m_parent->resize(500, 500);
    m_fired.clear();
    QCursor::setPos(outside());
}

void TestPressolaCtrl::cleanup()
{
    delete m_parent;
    m_parent = nullptr;
    m_button = nullptr;
    m_env.reset();
}

CPressolaCtrl *TestPressolaCtrl::makeButton(const QString &resourceName)
{
    m_button = new CPressolaCtrl(m_parent);
    m_button->move(20, 30);
    m_button->SetBackColor(0xFFFFFF);
    m_button->SetResourceName(resourceName);
    connect(m_button, &CPressolaCtrl::MouseDown, this, [this] { m_fired << QStringLiteral("MouseDown"); });
    connect(m_button, &CPressolaCtrl::MouseUp, this, [this] { m_fired << QStringLiteral("MouseUp"); });
    connect(m_button, &CPressolaCtrl::MouseMove, this, [this] { m_fired << QStringLiteral("MouseMove"); });
    connect(m_button, &CPressolaCtrl::Click, this, [this] { m_fired << QStringLiteral("Click"); });
    connect(m_button, &CPressolaCtrl::DblClick, this, [this] { m_fired << QStringLiteral("DblClick"); });
    return m_button;
}

QImage TestPressolaCtrl::render() const
{
    QImage image(m_button->size(), QImage::Format_RGB32);
    image.fill(Qt::black);
    m_button->render(&image);
    return image;
}

// Sends one input the way the window system delivers it.
void TestPressolaCtrl::apply(const QString &event)
{
    const QPointF in(5, 5);
    const QPointF out(-30, -30);
    auto mouse = [this](QEvent::Type type, QPointF at, Qt::MouseButton button, Qt::MouseButtons buttons) {
        QMouseEvent e(type, at, m_button->mapToGlobal(at), button, buttons, Qt::NoModifier);
        QCoreApplication::sendEvent(m_button, &e);
    };
    auto key = [this](int code, const QString &text) {
        QKeyEvent e(QEvent::KeyPress, code, Qt::NoModifier, text);
        QCoreApplication::sendEvent(m_button, &e);
    };
    auto focus = [this](QEvent::Type type) {
        QFocusEvent e(type, Qt::TabFocusReason);
        QCoreApplication::sendEvent(m_button, &e);
    };
    if (event == QLatin1String("move inside")) {
        QCursor::setPos(inside());
        mouse(QEvent::MouseMove, in, Qt::NoButton, Qt::NoButton);
    } else if (event == QLatin1String("move outside")) {
        QCursor::setPos(outside());
        mouse(QEvent::MouseMove, out, Qt::NoButton, Qt::NoButton);
    } else if (event == QLatin1String("left press")) {
        mouse(QEvent::MouseButtonPress, in, Qt::LeftButton, Qt::LeftButton);
    } else if (event == QLatin1String("left release")) {
        mouse(QEvent::MouseButtonRelease, in, Qt::LeftButton, Qt::NoButton);
    } else if (event == QLatin1String("left release outside")) {
        mouse(QEvent::MouseButtonRelease, out, Qt::LeftButton, Qt::NoButton);
    } else if (event == QLatin1String("right press")) {
        mouse(QEvent::MouseButtonPress, in, Qt::RightButton, Qt::RightButton);
    } else if (event == QLatin1String("right release")) {
        mouse(QEvent::MouseButtonRelease, in, Qt::RightButton, Qt::NoButton);
    } else if (event == QLatin1String("focus in away")) {
        QCursor::setPos(outside());
        focus(QEvent::FocusIn);
    } else if (event == QLatin1String("focus in over")) {
        QCursor::setPos(inside());
        focus(QEvent::FocusIn);
    } else if (event == QLatin1String("focus out")) {
        focus(QEvent::FocusOut);
    } else if (event == QLatin1String("enter")) {
        key(Qt::Key_Return, QStringLiteral("\r"));
    } else if (event == QLatin1String("space")) {
        key(Qt::Key_Space, QStringLiteral(" "));
    } else if (event == QLatin1String("letter")) {
        key(Qt::Key_A, QStringLiteral("a"));
    } else if (event == QLatin1String("disable")) {
        m_button->SetEnabled(false);
    } else if (event == QLatin1String("enable")) {
        m_button->SetEnabled(true);
    } else if (event == QLatin1String("cancel hover")) {
        QEvent e(QEvent::Type(CPressolaCtrl::CancelHoverEvent));
        QVERIFY(QCoreApplication::sendEvent(m_button, &e));
    } else if (event == QLatin1String("cursor leaves")) {
        QCursor::setPos(outside());
        QTRY_COMPARE_WITH_TIMEOUT(m_button->ButtonState(), int(CPressolaCtrl::StateUp), 2000);
    } else {
        QFAIL(qPrintable(QStringLiteral("unknown event ") + event));
    }
}

void TestPressolaCtrl::enterState(int state)
{
    switch (state) {
    case CPressolaCtrl::StateFocus:
        apply(QStringLiteral("focus in away"));
        break;
    case CPressolaCtrl::StateDown:
        apply(QStringLiteral("left press"));
        break;
    case CPressolaCtrl::StateOver:
        apply(QStringLiteral("move inside"));
        break;
    case CPressolaCtrl::StateDisabled:
        apply(QStringLiteral("disable"));
        break;
    default:
        break;
    }
    QCOMPARE(m_button->ButtonState(), state);
    m_fired.clear();
}

void TestPressolaCtrl::initialMembers()
{
    CPressolaCtrl button(m_parent);
    QCOMPARE(button.ButtonState(), int(CPressolaCtrl::StateNone));
    QVERIFY(!button.IsTracking());
    QCOMPARE(button.GetXPos(), qint16(-1));
    QCOMPARE(button.GetYPos(), qint16(-1));
    QCOMPARE(button.GetFilename(), QString());
    QVERIFY(button.GetAutoFocus());
    QCOMPARE(button.GetResourceName(), QString());
    QCOMPARE(button.GetTextJustify(), 6);
    QCOMPARE(button.GetAppearance(), qint16(0));
    QVERIFY(button.GetEnabled());
    QCOMPARE(button.GetCaption(), QString());
}

void TestPressolaCtrl::dispatchIds()
{
    const QList<std::pair<int, QByteArray>> ids = {{-501, "BackColor"}, {-518, "Caption"},    {-512, "Font"},
                                                   {-513, "ForeColor"}, {-520, "Appearance"}, {1, "XPos"},
                                                   {2, "YPos"},         {3, "Filename"},      {-514, "Enabled"},
                                                   {4, "AutoFocus"},    {5, "ResourceName"},  {6, "TextJustify"}};
    for (const auto &[dispid, name] : ids)
        QCOMPARE(CPressolaCtrl::PropertyName(dispid), name);
    QCOMPARE(CPressolaCtrl::PropertyName(7), QByteArray());
    // The properties are the dispatch interface, in its order, after QWidget's.
    const QMetaObject &meta = CPressolaCtrl::staticMetaObject;
    QCOMPARE(meta.propertyCount() - meta.propertyOffset(), 12);
    for (int i = 0; i < 12; ++i)
        QCOMPARE(QByteArray(meta.property(meta.propertyOffset() + i).name()), ids[i].second);
    const QByteArray events[] = {"MouseDown", "Click", "DblClick", "MouseUp", "MouseMove"};
    for (int i = 0; i < 5; ++i)
        QCOMPARE(meta.method(meta.methodOffset() + i).name(), events[i]);
    QCOMPARE(QByteArray(meta.classInfo(meta.indexOfClassInfo("DISPID Click")).value()), QByteArray("-600"));
}

void TestPressolaCtrl::stateMachine_data()
{
    QTest::addColumn<int>("from");
    QTest::addColumn<QString>("event");
    QTest::addColumn<int>("to");
    QTest::addColumn<QStringList>("fired");
    enum {
        Up,
        Focus,
        Down,
        Over,
        Disabled
    };
    const QStringList none;
    auto row = [](int from, const char *event, int to, const QStringList &fired) {
        QTest::addRow("%d + %s", from, event) << from << QString::fromLatin1(event) << to << fired;
    };
    row(Up, "move inside", Over, {"MouseMove"});
    row(Up, "move outside", Up, {"MouseMove"});
    row(Up, "left press", Down, {"MouseDown"});
    row(Up, "right press", Up, {"MouseDown"});
    row(Up, "focus in away", Focus, none);
    row(Up, "focus in over", Over, none);
    row(Up, "enter", Up, {"Click"});
    row(Up, "space", Up, {"Click"});
    row(Up, "letter", Up, none);
    row(Up, "disable", Disabled, none);
    row(Up, "cancel hover", Up, none);
    row(Focus, "move inside", Over, {"MouseMove"});
    row(Focus, "left press", Down, {"MouseDown"});
    row(Focus, "focus out", Up, none);
    row(Focus, "space", Focus, {"Click"});
    row(Focus, "disable", Disabled, none);
    row(Down, "left release", Up, {"MouseUp", "Click"});
    row(Down, "left release outside", Up, {"MouseUp"});
    row(Down, "move inside", Over, {"MouseMove"});
    row(Down, "focus out", Up, none);
    row(Down, "disable", Disabled, none);
    row(Down, "cancel hover", Down, none);
    row(Over, "move outside", Over, {"MouseMove"});
    row(Over, "cursor leaves", Up, none);
    row(Over, "left press", Down, {"MouseDown"});
    row(Over, "right press", Over, {"MouseDown"});
    row(Over, "focus out", Up, none);
    row(Over, "enter", Over, {"Click"});
    row(Over, "disable", Disabled, none);
    row(Over, "cancel hover", Up, none);
    row(Disabled, "move inside", Disabled, none);
    row(Disabled, "left press", Disabled, none);
    row(Disabled, "left release", Disabled, none);
    row(Disabled, "right press", Disabled, none);
    row(Disabled, "enter", Disabled, none);
    row(Disabled, "enable", Up, none);
}

void TestPressolaCtrl::stateMachine()
{
    QFETCH(int, from);
    QFETCH(QString, event);
    QFETCH(int, to);
    QFETCH(QStringList, fired);
    makeButton(QStringLiteral("INSERT"));
    enterState(from);
    apply(event);
    QCOMPARE(m_button->ButtonState(), to);
    QCOMPARE(m_fired, fired);
}

void TestPressolaCtrl::doubleClickFiresDblClick()
{
    makeButton(QStringLiteral("INSERT"));
    // The window system's order: press, release, double click, release.
    for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease, QEvent::MouseButtonDblClick,
                              QEvent::MouseButtonRelease}) {
        const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
        QMouseEvent e(type, QPointF(5, 5), m_button->mapToGlobal(QPointF(5, 5)), Qt::LeftButton, held, Qt::NoModifier);
        QCoreApplication::sendEvent(m_button, &e);
    }
    QCOMPARE(m_fired, QStringList({"MouseDown", "MouseUp", "Click", "DblClick"}));
    QCOMPARE(m_button->ButtonState(), int(CPressolaCtrl::StateUp));
}

void TestPressolaCtrl::hoverTimerLeavesOverWithoutMouseMessages()
{
    makeButton(QStringLiteral("INSERT"));
    apply(QStringLiteral("move inside"));
    QCOMPARE(m_button->ButtonState(), int(CPressolaCtrl::StateOver));
    m_fired.clear();
    // The mouse goes elsewhere without a message reaching the button.
    QCursor::setPos(outside());
    QTest::qWait(CPressolaCtrl::HoverPeriod);
    QTRY_COMPARE_WITH_TIMEOUT(m_button->ButtonState(), int(CPressolaCtrl::StateUp), 2000);
    QVERIFY(m_fired.isEmpty());
    // The timer keeps running and brings the over state back.
    QVERIFY(m_button->IsTracking());
    QCursor::setPos(inside());
    QTRY_COMPARE_WITH_TIMEOUT(m_button->ButtonState(), int(CPressolaCtrl::StateOver), 2000);
}

void TestPressolaCtrl::hoverTimerRunsOnlyWhileTracking()
{
    makeButton(QStringLiteral("INSERT"));
    QVERIFY(!m_button->IsTracking());
    apply(QStringLiteral("move inside"));
    QVERIFY(m_button->IsTracking());
    for (const char *stop : {"left press", "left release", "focus out", "disable", "cancel hover"}) {
        apply(QStringLiteral("enable"));
        apply(QStringLiteral("move inside"));
        QVERIFY(m_button->IsTracking());
        apply(QString::fromLatin1(stop));
        QVERIFY2(!m_button->IsTracking(), stop);
    }
}

void TestPressolaCtrl::missingBitmapsFallBackToUp()
{
    // STANDARD has U, O and D only: focus and disabled show the up bitmap.
    makeButton(QStringLiteral("STANDARD"));
    const QImage up = render();
    QCOMPARE(up.pixel(10, 10), QImage(QStringLiteral(":/bitmaps/STANDARDU.bmp")).pixel(10, 10));
    apply(QStringLiteral("focus in away"));
    QCOMPARE(render(), up);
    apply(QStringLiteral("focus out"));
    apply(QStringLiteral("disable"));
    QCOMPARE(render(), up);
}

void TestPressolaCtrl::noUpBitmapLeavesControlWithoutBitmaps()
{
    makeButton(QStringLiteral("NOSUCH"));
    QCOMPARE(m_button->ButtonState(), int(CPressolaCtrl::StateNone));
    QVERIFY(m_button->IsModified());
}

void TestPressolaCtrl::textJustifyMapsToQtAlignment_data()
{
    QTest::addColumn<int>("flags");
    QTest::addColumn<int>("alignment");
    QTest::newRow("left top") << 0 << int(Qt::AlignLeft | Qt::AlignTop);
    QTest::newRow("right top") << 2 << int(Qt::AlignRight | Qt::AlignTop);
    QTest::newRow("centre top") << 6 << int(Qt::AlignHCenter | Qt::AlignTop);
    QTest::newRow("centre bottom") << 14 << int(Qt::AlignHCenter | Qt::AlignBottom);
    QTest::newRow("left baseline") << 24 << int(Qt::AlignLeft | Qt::AlignBaseline);
    QTest::newRow("update position flag ignored") << 7 << int(Qt::AlignHCenter | Qt::AlignTop);
}

void TestPressolaCtrl::textJustifyMapsToQtAlignment()
{
    QFETCH(int, flags);
    QFETCH(int, alignment);
    QCOMPARE(int(CPressolaCtrl::CaptionAlignment(flags)), alignment);
}

void TestPressolaCtrl::paintsStateBitmap_data()
{
    QTest::addColumn<int>("state");
    QTest::addColumn<QString>("bitmap");
    QTest::newRow("up") << int(CPressolaCtrl::StateUp) << "INSERTU";
    QTest::newRow("focus falls back to up") << int(CPressolaCtrl::StateFocus) << "INSERTU";
    QTest::newRow("down") << int(CPressolaCtrl::StateDown) << "INSERTD";
    QTest::newRow("over") << int(CPressolaCtrl::StateOver) << "INSERTO";
    QTest::newRow("disabled") << int(CPressolaCtrl::StateDisabled) << "INSERTX";
}

void TestPressolaCtrl::paintsStateBitmap()
{
    QFETCH(int, state);
    QFETCH(QString, bitmap);
    makeButton(QStringLiteral("INSERT"));
    enterState(state);
    const QImage expected =
        QImage(QStringLiteral(":/bitmaps/%1.bmp").arg(bitmap)).convertToFormat(QImage::Format_RGB32);
    QCOMPARE(m_button->size(), expected.size());
    QCOMPARE(render(), expected);
}

void TestPressolaCtrl::paintsBackColorOutsideBitmap()
{
    makeButton(QStringLiteral("INSERT"));
    m_button->SetBackColor(0x00FF00); // green
    const QSize bitmap = m_button->size();
    m_button->resize(bitmap.width() + 10, bitmap.height() + 6);
    const QImage image = render();
    QCOMPARE(QColor(image.pixel(bitmap.width() + 5, 2)), QColor(0, 255, 0));
    QCOMPARE(QColor(image.pixel(2, bitmap.height() + 3)), QColor(0, 255, 0));
    QCOMPARE(image.pixel(10, 10), QImage(QStringLiteral(":/bitmaps/INSERTU.bmp")).pixel(10, 10));
}

void TestPressolaCtrl::paintsGreyWithoutBitmaps()
{
    makeButton(QStringLiteral("NOSUCH"));
    m_button->resize(60, 20);
    const QImage image = render();
    for (QPoint p : {QPoint(0, 0), QPoint(59, 19), QPoint(30, 10)})
        QCOMPARE(QColor(image.pixel(p)), QColor(128, 128, 128));
}

// The bounding box of the caption's pixels.
static QRect Ink(const QImage &with, const QImage &without)
{
    QRect box;
    for (int y = 0; y < with.height(); ++y)
        for (int x = 0; x < with.width(); ++x)
            if (with.pixel(x, y) != without.pixel(x, y))
                box |= QRect(x, y, 1, 1);
    return box;
}

void TestPressolaCtrl::captionPlace_data()
{
    QTest::addColumn<QString>("resource");
    QTest::addColumn<int>("justify");
    QTest::addColumn<int>("x");
    QTest::addColumn<int>("y");
    QTest::newRow("left top") << "LINK" << 0 << 20 << 2;
    QTest::newRow("centred top") << "STANDARD" << 6 << 55 << 6;
    QTest::newRow("right top") << "LINK" << 2 << 200 << 2;
    QTest::newRow("centred bottom") << "LINK" << 14 << 100 << 19;
    QTest::newRow("no bitmaps: top-left corner") << "NOSUCH" << 6 << -1 << -1;
}

void TestPressolaCtrl::captionPlace()
{
    QFETCH(QString, resource);
    QFETCH(int, justify);
    QFETCH(int, x);
    QFETCH(int, y);
    makeButton(resource);
    if (resource == QLatin1String("NOSUCH"))
        m_button->resize(120, 40);
    m_button->SetForeColor(0x0000FF); // red
    m_button->SetFont(QFont(QStringLiteral("Arial"), 9, QFont::Bold));
    m_button->SetTextJustify(justify);
    m_button->SetXPos(qint16(x));
    m_button->SetYPos(qint16(y));
    const QImage without = render();
    m_button->SetCaption(QStringLiteral("Mmm"));
    const QImage with = render();
    const QRect ink = Ink(with, without);
    QVERIFY(!ink.isEmpty());
    const QFontMetrics metrics(m_button->GetFont(), m_button);
    const int cx = metrics.horizontalAdvance(QStringLiteral("Mmm"));
    const int cy = metrics.height();
    const int px = m_button->GetXPos(), py = m_button->GetYPos();
    const int left = (justify & 6) == 6 ? px - cx / 2 : (justify & 6) == 2 ? px - cx : px;
    const int top = (justify & 24) == 8 ? py - cy : py;
    // Painting clips what lies left of the control.
    QVERIFY2(ink.left() >= left - 1 && ink.left() <= qMax(0, left + 2),
             qPrintable(QStringLiteral("ink %1,%2").arg(ink.left()).arg(ink.top())));
    QVERIFY(ink.right() <= left + cx);
    QVERIFY(ink.top() >= qMax(0, top) && ink.bottom() < top + cy);
    // The caption is drawn in the fore colour.
    bool red = false;
    for (int yy = ink.top(); yy <= ink.bottom(); ++yy)
        for (int xx = ink.left(); xx <= ink.right(); ++xx)
            red = red || QColor(with.pixel(xx, yy)) == QColor(255, 0, 0);
    QVERIFY(red);
}

void TestPressolaCtrl::centreReplacesMinusOneAtFirstPaint()
{
    makeButton(QStringLiteral("INSERT"));
    m_button->SetCaption(QStringLiteral("Insert"));
    QCOMPARE(m_button->GetXPos(), qint16(-1));
    render();
    QCOMPARE(m_button->GetXPos(), qint16(105 / 2));
    QCOMPARE(m_button->GetYPos(), qint16(24 / 2));
}

void TestPressolaCtrl::focusUnderline_data()
{
    QTest::addColumn<quint32>("foreColor");
    QTest::addColumn<bool>("autoFocus");
    QTest::addColumn<QColor>("line");
    QTest::newRow("white caption") << quint32(0xFFFFFF) << true << QColor(191, 191, 191);
    QTest::newRow("navy caption") << quint32(0x800000) << true << QColor(0, 0, 96);
    QTest::newRow("orange caption") << quint32(0x2080F0) << true << QColor(180, 96, 24);
    QTest::newRow("no underline without AutoFocus") << quint32(0xFFFFFF) << false << QColor();
}

void TestPressolaCtrl::focusUnderline()
{
    QFETCH(quint32, foreColor);
    QFETCH(bool, autoFocus);
    QFETCH(QColor, line);
    makeButton(QStringLiteral("STANDARD"));
    m_button->SetForeColor(foreColor);
    m_button->SetAutoFocus(autoFocus);
    m_button->SetXPos(55);
    m_button->SetYPos(6);
    m_button->SetCaption(QStringLiteral("Preview"));
    const QImage unfocused = render();
    apply(QStringLiteral("focus in away"));
    const QImage focused = render();
    const QFontMetrics metrics(m_button->GetFont(), m_button);
    const int cx = metrics.horizontalAdvance(QStringLiteral("Preview"));
    const int row = 6 + metrics.height() - 2;
    if (!line.isValid()) {
        QCOMPARE(focused, unfocused);
        return;
    }
    // The line runs from x - cx/2 up to (not including) x + cx/2.
    QCOMPARE(QColor(focused.pixel(55 - cx / 2, row)), line);
    QCOMPARE(QColor(focused.pixel(55 + cx / 2 - 1, row)), line);
    QCOMPARE(focused.pixel(55 + cx / 2, row), unfocused.pixel(55 + cx / 2, row));
    QCOMPARE(focused.pixel(55 - cx / 2 - 1, row), unfocused.pixel(55 - cx / 2 - 1, row));
    QCOMPARE(focused.pixel(55, row + 1), unfocused.pixel(55, row + 1));
}

void TestPressolaCtrl::designModeShowsFileBitmap()
{
    const QString file = m_env->path(QStringLiteral("design.bmp"));
    QImage picture(40, 16, QImage::Format_Indexed8);
    picture.setColorTable({qRgb(10, 200, 30), qRgb(250, 250, 0)});
    picture.fill(0);
    QVERIFY(picture.save(file, "BMP"));
    m_parent->show();
    CPressolaCtrl design(m_parent, false);
    design.show();
    design.SetResourceName(QStringLiteral("INSERT"));
    QCOMPARE(design.ButtonState(), int(CPressolaCtrl::StateNone));
    design.SetFilename(file);
    QCOMPARE(design.size(), QSize(40, 16));
    // Resizing in design mode snaps back to the file bitmap.
    design.resize(80, 50);
    QCOMPARE(design.size(), QSize(40, 16));
    QImage image(design.size(), QImage::Format_RGB32);
    design.render(&image);
    QCOMPARE(QColor(image.pixel(20, 8)), QColor(10, 200, 30));
}

QTEST_MAIN(TestPressolaCtrl)
#include "tst_pressolactrl.moc"
