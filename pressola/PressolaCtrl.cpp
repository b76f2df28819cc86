#include "pressola/PressolaCtrl.h"

#include "pressola/PressolaAccessible.h"
#include "pressola/PropertyBlock.h"

#include <QAccessible>

#include <QApplication>
#include <QCursor>
#include <QKeyEvent>
#include <QMetaClassInfo>
#include <QPainter>

namespace {

// Text-alignment flags of the caption.
constexpr qint32 TA_RIGHT = 2;
constexpr qint32 TA_CENTER = 6;
constexpr qint32 TA_BOTTOM = 8;
constexpr qint32 TA_BASELINE = 24;

// The stock grey brush.
const QColor kStockGrey(128, 128, 128);

constexpr quint32 kSystemColor = 0x80000000;
constexpr quint32 COLOR_WINDOW = kSystemColor | 5;
constexpr quint32 COLOR_WINDOWTEXT = kSystemColor | 8;

quint32 OleColor(const QColor &c)
{
    return quint32(c.red()) | quint32(c.green()) << 8 | quint32(c.blue()) << 16;
}

QPalette::ColorRole SystemColorRole(quint32 index)
{
    switch (index) {
    case 5:
        return QPalette::Base; // window
    case 8:
        return QPalette::Text; // window text
    case 9:
        return QPalette::HighlightedText; // caption text
    case 13:
        return QPalette::Highlight; // highlight
    case 14:
        return QPalette::HighlightedText; // highlight text
    case 15:
        return QPalette::Button; // button face
    case 16:
        return QPalette::Dark; // button shadow
    case 17:
        return QPalette::PlaceholderText; // grey text
    case 18:
        return QPalette::ButtonText; // button text
    case 20:
        return QPalette::Light; // button highlight
    case 23:
        return QPalette::ToolTipText; // info text
    case 24:
        return QPalette::ToolTipBase; // info background
    default:
        return QPalette::Window;
    }
}

short ButtonCode(Qt::MouseButton button)
{
    switch (button) {
    case Qt::LeftButton:
        return 1;
    case Qt::RightButton:
        return 2;
    case Qt::MiddleButton:
        return 4;
    default:
        return 0;
    }
}

short ButtonsCode(Qt::MouseButtons buttons)
{
    short code = 0;
    for (Qt::MouseButton b : {Qt::LeftButton, Qt::RightButton, Qt::MiddleButton})
        if (buttons & b)
            code |= ButtonCode(b);
    return code;
}

short ShiftCode(Qt::KeyboardModifiers modifiers)
{
    return short((modifiers & Qt::ShiftModifier ? 1 : 0) | (modifiers & Qt::ControlModifier ? 2 : 0)
                 | (modifiers & Qt::AltModifier ? 4 : 0));
}

QFont FontFromState(const StdFontState &state)
{
    QFont font(state.faceName);
    font.setPointSizeF(state.size / 10000.0);
    font.setWeight(QFont::Weight(qBound(1, int(state.weight), 1000)));
    font.setItalic(state.attributes & 0x02);
    font.setUnderline(state.attributes & 0x04);
    font.setStrikeOut(state.attributes & 0x08);
    return font;
}

StdFontState StateFromFont(const QFont &font, qint16 charset)
{
    StdFontState state;
    state.charset = charset;
    state.attributes =
        quint8((font.italic() ? 0x02 : 0) | (font.underline() ? 0x04 : 0) | (font.strikeOut() ? 0x08 : 0));
    state.weight = qint16(font.weight());
    state.size = qint32(qRound(font.pointSizeF() * 10000.0));
    state.faceName = font.family();
    return state;
}

} // namespace

CPressolaCtrl::CPressolaCtrl(QWidget *parent, bool userMode)
    : QWidget(parent)
    , m_userMode(userMode)
{
    CPressolaAccessible::Install();
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    ResetState();
    m_modified = false;
}

CPressolaCtrl::~CPressolaCtrl() = default;

QByteArray CPressolaCtrl::PropertyName(int dispid)
{
    const QMetaObject &meta = staticMetaObject;
    const QByteArray wanted = QByteArray::number(dispid);
    for (int i = meta.classInfoOffset(); i < meta.classInfoCount(); ++i) {
        const QMetaClassInfo info = meta.classInfo(i);
        const QByteArray name = QByteArray(info.name()).mid(7);
        if (info.value() == wanted && meta.indexOfProperty(name.constData()) >= 0)
            return name;
    }
    return QByteArray();
}

QString CPressolaCtrl::HostModule()
{
    return QStringLiteral(":/bitmaps");
}

Qt::Alignment CPressolaCtrl::CaptionAlignment(qint32 textJustify)
{
    Qt::Alignment alignment;
    switch (textJustify & TA_CENTER) {
    case TA_CENTER:
        alignment |= Qt::AlignHCenter;
        break;
    case TA_RIGHT:
        alignment |= Qt::AlignRight;
        break;
    default:
        alignment |= Qt::AlignLeft;
        break;
    }
    switch (textJustify & TA_BASELINE) {
    case TA_BASELINE:
        alignment |= Qt::AlignBaseline;
        break;
    case TA_BOTTOM:
        alignment |= Qt::AlignBottom;
        break;
    default:
        alignment |= Qt::AlignTop;
        break;
    }
    return alignment;
}

QColor CPressolaCtrl::TranslateColor(quint32 oleColor) const
{
    if (oleColor & kSystemColor)
        return QApplication::palette().color(SystemColorRole(oleColor & 0xFF));
    return QColor(int(oleColor & 0xFF), int(oleColor >> 8 & 0xFF), int(oleColor >> 16 & 0xFF));
}

// Property changes

void CPressolaCtrl::SetBackColor(quint32 color)
{
    m_BackColor = color;
    SetModifiedFlag();
    update();
}

void CPressolaCtrl::SetCaption(const QString &caption)
{
    m_Caption = caption;
    SetModifiedFlag();
    update();
    QAccessibleEvent nameChanged(this, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&nameChanged);
}

void CPressolaCtrl::SetFont(const QFont &font)
{
    m_Font = font;
    SetModifiedFlag();
    update();
}

void CPressolaCtrl::SetForeColor(quint32 color)
{
    m_ForeColor = color;
    SetModifiedFlag();
    update();
}

void CPressolaCtrl::SetAppearance(qint16 appearance)
{
    m_Appearance = appearance;
    SetModifiedFlag();
    update();
}

void CPressolaCtrl::SetXPos(qint16 x)
{
    m_XPos = x;
    update();
    SetModifiedFlag();
}

void CPressolaCtrl::SetYPos(qint16 y)
{
    m_YPos = y;
    update();
    SetModifiedFlag();
}

void CPressolaCtrl::SetFilename(const QString &filename)
{
    m_Filename = filename;
    OnFilenameChanged();
}

void CPressolaCtrl::SetEnabled(bool enabled)
{
    setEnabled(enabled);
    SetModifiedFlag();
}

void CPressolaCtrl::SetAutoFocus(bool autoFocus)
{
    m_AutoFocus = autoFocus ? 1 : 0;
    SetModifiedFlag();
}

void CPressolaCtrl::SetResourceName(const QString &name)
{
    m_ResourceName = name;
    OnResourceNameChanged();
}

void CPressolaCtrl::SetTextJustify(qint32 flags)
{
    m_TextJustify = flags;
    SetModifiedFlag();
}

void CPressolaCtrl::OnResourceNameChanged()
{
    if (m_userMode && !m_ResourceName.isEmpty()) {
        const QString module = HostModule();
        m_stateBitmapsLoaded = false;
        if (m_bmpUp.LoadFromResource(module, m_ResourceName + QLatin1Char('U'))) {
            const QString up = m_ResourceName + QLatin1Char('U');
            const std::pair<CDib *, QChar> others[] = {{&m_bmpFocus, QLatin1Char('F')},
                                                       {&m_bmpDown, QLatin1Char('D')},
                                                       {&m_bmpOver, QLatin1Char('O')},
                                                       {&m_bmpDisabled, QLatin1Char('X')}};
            for (const auto &[dib, suffix] : others)
                if (!dib->LoadFromResource(module, m_ResourceName + suffix))
                    dib->LoadFromResource(module, up);
            m_bitmapWidth = m_bmpUp.Width();
            m_bitmapHeight = m_bmpUp.Height();
            resize(m_bitmapWidth, m_bitmapHeight);
            // A control that is disabled when its bitmaps arrive shows them disabled.
            m_ButtonState = isEnabled() ? StateUp : StateDisabled;
            m_stateBitmapsLoaded = true;
        }
        update();
    }
    SetModifiedFlag();
}

void CPressolaCtrl::OnFilenameChanged()
{
    if (!m_Filename.isEmpty()) {
        m_fileBitmapLoaded = m_fileBitmap.LoadFromFile(m_Filename);
        if (m_fileBitmapLoaded)
            resize(m_fileBitmap.Width(), m_fileBitmap.Height());
    }
    update();
    SetModifiedFlag();
}

// Property exchange

PropertyBlock CPressolaCtrl::Exchange() const
{
    PropertyBlock b;
    b.extentX = m_extentX;
    b.extentY = m_extentY;
    b.caption = m_Caption;
    b.foreColor = m_ForeColor;
    b.backColor = m_BackColor;
    b.font = StateFromFont(m_Font, m_fontCharset);
    b.enabled = isEnabled();
    b.appearance = m_Appearance;
    b.xPos = m_XPos;
    b.yPos = m_YPos;
    b.autoFocus = m_AutoFocus != 0;
    b.filename = m_Filename;
    b.resourceName = m_ResourceName;
    return b;
}

void CPressolaCtrl::ApplyExchange(const PropertyBlock &b)
{
    m_extentX = b.extentX;
    m_extentY = b.extentY;
    m_Caption = b.caption;
    m_ForeColor = b.foreColor;
    m_BackColor = b.backColor;
    m_Font = FontFromState(b.font);
    m_fontCharset = b.font.charset;
    setEnabled(b.enabled);
    m_Appearance = b.appearance;
    m_XPos = b.xPos;
    m_YPos = b.yPos;
    m_AutoFocus = b.autoFocus ? 1 : 0;
    m_Filename = b.filename;
    m_ResourceName = b.resourceName;
}

void CPressolaCtrl::AfterExchange()
{
    if (!m_Filename.isEmpty())
        OnFilenameChanged();
    if (!m_ResourceName.isEmpty())
        OnResourceNameChanged();
}

bool CPressolaCtrl::Load(const QByteArray &block)
{
    const std::optional<PropertyBlock> b = PropertyBlock::Read(block, Exchange());
    if (!b)
        return false;
    ApplyExchange(*b);
    AfterExchange();
    update();
    return true;
}

QByteArray CPressolaCtrl::Save()
{
    const QByteArray block = Exchange().Write();
    AfterExchange();
    return block;
}

void CPressolaCtrl::ResetState()
{
    // The container's ambient colours and font are the stock defaults.
    PropertyBlock b;
    const QWidget *container = parentWidget();
    b.backColor = container ? OleColor(container->palette().color(container->backgroundRole())) : COLOR_WINDOW;
    b.foreColor = container ? OleColor(container->palette().color(container->foregroundRole())) : COLOR_WINDOWTEXT;
    b.font = StateFromFont(container ? container->font() : QApplication::font(), 0);
    ApplyExchange(b);
    AfterExchange();
    update();
}

// States

void CPressolaCtrl::SetButtonState(int state)
{
    const int old = m_ButtonState;
    m_ButtonState = state;
    update();
    if (old == state)
        return;
    // Screen readers follow the pressed and hot-tracked states.
    QAccessible::State changed;
    changed.pressed = old == StateDown || state == StateDown;
    changed.hotTracked = old == StateOver || state == StateOver;
    if (changed.pressed || changed.hotTracked) {
        QAccessibleStateChangeEvent stateChanged(this, changed);
        QAccessible::updateAccessibility(&stateChanged);
    }
}

void CPressolaCtrl::StartHoverTimer()
{
    m_hoverTimer.start(HoverPeriod, Qt::PreciseTimer, this);
    m_tracking = true;
    m_timerId = 1;
}

void CPressolaCtrl::StopHoverTimer()
{
    if (!m_tracking)
        return;
    m_hoverTimer.stop();
    m_tracking = false;
    m_timerId = 0;
}

bool CPressolaCtrl::InsideButton(const QPoint &point) const
{
    return parentWidget() && rect().contains(point);
}

bool CPressolaCtrl::event(QEvent *event)
{
    if (event->type() == QEvent::Type(CancelHoverEvent)) {
        if (m_tracking) {
            StopHoverTimer();
            SetButtonState(StateUp);
        }
        event->accept();
        return true;
    }
    return QWidget::event(event);
}

void CPressolaCtrl::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton) {
        StopHoverTimer();
        if (m_ButtonState == StateDisabled)
            return;
        SetButtonState(StateDown);
    }
    ButtonDown(event);
}

void CPressolaCtrl::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton) {
        StopHoverTimer();
        if (m_ButtonState == StateDisabled)
            return;
        SetButtonState(StateUp);
    }
    ButtonUp(event);
}

void CPressolaCtrl::mouseDoubleClickEvent(QMouseEvent *event)
{
    m_buttonsDoubleClicked |= ButtonCode(event->button());
}

void CPressolaCtrl::mouseMoveEvent(QMouseEvent *event)
{
    if (m_ButtonState == StateDisabled)
        return;
    const QPoint p = event->position().toPoint();
    if (!m_tracking) {
        if (InsideButton(p)) {
            StartHoverTimer();
            SetButtonState(StateOver);
        } else {
            StopHoverTimer();
            SetButtonState(StateUp);
        }
    }
    emit MouseMove(ButtonsCode(event->buttons()), ShiftCode(event->modifiers()), p.x(), p.y());
}

void CPressolaCtrl::ButtonDown(QMouseEvent *event)
{
    m_buttonsDown |= ButtonCode(event->button());
    const QPoint p = event->position().toPoint();
    emit MouseDown(ButtonCode(event->button()), ShiftCode(event->modifiers()), p.x(), p.y());
}

void CPressolaCtrl::ButtonUp(QMouseEvent *event)
{
    const short button = ButtonCode(event->button());
    const QPoint p = event->position().toPoint();
    if (m_buttonsDown & button) {
        m_buttonsDown &= ~button;
        emit MouseUp(button, ShiftCode(event->modifiers()), p.x(), p.y());
        if (button == 1 && rect().contains(p))
            emit Click();
    }
    if (m_buttonsDoubleClicked & button) {
        m_buttonsDoubleClicked &= ~button;
        if (rect().contains(p))
            emit DblClick();
    }
}

void CPressolaCtrl::timerEvent(QTimerEvent *event)
{
    if (event->timerId() != m_hoverTimer.timerId()) {
        QWidget::timerEvent(event);
        return;
    }
    const bool inside = InsideButton(mapFromGlobal(QCursor::pos()));
    if (!inside && m_ButtonState != StateUp)
        SetButtonState(StateUp);
    if (inside && m_ButtonState != StateOver)
        SetButtonState(StateOver);
}

void CPressolaCtrl::focusInEvent(QFocusEvent *event)
{
    QWidget::focusInEvent(event);
    if (InsideButton(mapFromGlobal(QCursor::pos()))) {
        StartHoverTimer();
        SetButtonState(StateOver);
    } else {
        SetButtonState(StateFocus);
    }
    m_hasFocus = true;
}

void CPressolaCtrl::focusOutEvent(QFocusEvent *event)
{
    QWidget::focusOutEvent(event);
    StopHoverTimer();
    SetButtonState(StateUp);
    m_hasFocus = false;
}

void CPressolaCtrl::keyPressEvent(QKeyEvent *event)
{
    const QString typed = event->text();
    if (typed == QLatin1String("\r") || typed == QLatin1String(" ") || event->key() == Qt::Key_Return
        || event->key() == Qt::Key_Enter || event->key() == Qt::Key_Space)
        emit Click();
    QWidget::keyPressEvent(event);
}

void CPressolaCtrl::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::EnabledChange) {
        StopHoverTimer();
        SetButtonState(isEnabled() ? StateUp : StateDisabled);
    }
    QWidget::changeEvent(event);
}

void CPressolaCtrl::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    if (m_userMode || m_Filename.isEmpty() || !m_fileBitmapLoaded)
        return;
    const QSize fileSize(m_fileBitmap.Width(), m_fileBitmap.Height());
    if (size() != fileSize)
        setGeometry(QRect(pos(), fileSize));
    update();
}

// Painting

CDib &CPressolaCtrl::StateBitmap()
{
    switch (m_ButtonState) {
    case StateFocus:
        return m_bmpFocus;
    case StateDown:
        return m_bmpDown;
    case StateOver:
        return m_bmpOver;
    case StateDisabled:
        return m_bmpDisabled;
    default:
        return m_bmpUp;
    }
}

void CPressolaCtrl::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QRect bounds = rect();
    if (m_userMode && m_stateBitmapsLoaded) {
        const QRect destination(0, 0, m_bitmapWidth, m_bitmapHeight);
        if (m_ButtonState == StateNone) {
            painter.fillRect(bounds, kStockGrey);
        } else {
            painter.fillRect(bounds, TranslateColor(m_BackColor));
            StateBitmap().Draw(painter, destination);
        }
    } else if (!m_Filename.isEmpty() && m_fileBitmapLoaded) {
        m_fileBitmap.Draw(painter, QRect(0, 0, m_fileBitmap.Width(), m_fileBitmap.Height()));
    } else {
        painter.fillRect(bounds, kStockGrey);
    }
    if (!m_Caption.isEmpty())
        DrawCaption(painter);
}

void CPressolaCtrl::DrawCaption(QPainter &painter)
{
    painter.setFont(m_Font);
    const QColor background = TranslateColor(m_BackColor);
    if (m_XPos == -1 || m_YPos == -1) {
        m_XPos = qint16(m_bitmapWidth / 2);
        m_YPos = qint16(m_bitmapHeight / 2);
    }
    const QFontMetrics metrics(m_Font, this);
    const int cx = metrics.horizontalAdvance(m_Caption);
    const int cy = metrics.height();
    const Qt::Alignment alignment = CaptionAlignment(m_TextJustify);
    int left = m_XPos;
    if (alignment & Qt::AlignHCenter)
        left -= cx / 2;
    else if (alignment & Qt::AlignRight)
        left -= cx;
    int top = m_YPos;
    if (alignment & Qt::AlignBottom)
        top -= cy;
    else if (alignment & Qt::AlignBaseline)
        top -= metrics.ascent();
    const QRect textRect(left, top, cx, cy);
    if (m_Appearance != 0)
        painter.fillRect(textRect, background);
    const QColor textColor = TranslateColor(m_ForeColor);
    painter.setPen(textColor);
    painter.drawText(QPoint(left, top + metrics.ascent()), m_Caption);

    if (m_AutoFocus && m_hasFocus) {
        // The focus line: a darker shade of the caption colour under the text.
        const QColor line(int(textColor.red() * 0.75), int(textColor.green() * 0.75), int(textColor.blue() * 0.75));
        painter.fillRect(QRect(left, top + cy - 2, cx / 2 * 2, 1), line);
    }
}
