#pragma once

#include "pressola/Dib.h"
#include "pressola/PressolaExport.h"

#include <QBasicTimer>
#include <QFont>
#include <QWidget>

struct PropertyBlock;

// The Pressola bitmap button: paints itself from the host program's bitmaps
// named ResourceName plus a state letter (U up, F focus, D down, O over,
// X disabled), with an optional caption on top.
class PRESSOLA_EXPORT CPressolaCtrl : public QWidget
{
    Q_OBJECT
    Q_CLASSINFO("DISPID BackColor", "-501")
    Q_CLASSINFO("DISPID Caption", "-518")
    Q_CLASSINFO("DISPID Font", "-512")
    Q_CLASSINFO("DISPID ForeColor", "-513")
    Q_CLASSINFO("DISPID Appearance", "-520")
    Q_CLASSINFO("DISPID XPos", "1")
    Q_CLASSINFO("DISPID YPos", "2")
    Q_CLASSINFO("DISPID Filename", "3")
    Q_CLASSINFO("DISPID Enabled", "-514")
    Q_CLASSINFO("DISPID AutoFocus", "4")
    Q_CLASSINFO("DISPID ResourceName", "5")
    Q_CLASSINFO("DISPID TextJustify", "6")
    Q_CLASSINFO("DISPID MouseDown", "-605")
    Q_CLASSINFO("DISPID Click", "-600")
    Q_CLASSINFO("DISPID DblClick", "-601")
    Q_CLASSINFO("DISPID MouseUp", "-607")
    Q_CLASSINFO("DISPID MouseMove", "-606")
    // Colours are OLE colours: 0x00BBGGRR, or 0x800000nn for system colour nn.
    Q_PROPERTY(quint32 BackColor READ GetBackColor WRITE SetBackColor)
    Q_PROPERTY(QString Caption READ GetCaption WRITE SetCaption)
    Q_PROPERTY(QFont Font READ GetFont WRITE SetFont)
    Q_PROPERTY(quint32 ForeColor READ GetForeColor WRITE SetForeColor)
    Q_PROPERTY(qint16 Appearance READ GetAppearance WRITE SetAppearance)
    Q_PROPERTY(qint16 XPos READ GetXPos WRITE SetXPos)
    Q_PROPERTY(qint16 YPos READ GetYPos WRITE SetYPos)
    Q_PROPERTY(QString Filename READ GetFilename WRITE SetFilename)
    Q_PROPERTY(bool Enabled READ GetEnabled WRITE SetEnabled)
    Q_PROPERTY(bool AutoFocus READ GetAutoFocus WRITE SetAutoFocus)
    Q_PROPERTY(QString ResourceName READ GetResourceName WRITE SetResourceName)
    Q_PROPERTY(qint32 TextJustify READ GetTextJustify WRITE SetTextJustify)

public:
    enum State {
        StateUp = 0,
        StateFocus = 1,
        StateDown = 2,
        StateOver = 3,
        StateDisabled = 4,
        StateNone = 5
    };
    static constexpr int HoverPeriod = 10; // milliseconds
    static constexpr int CancelHoverEvent = 0x465; // a Qt event of this type ends hover tracking

    explicit CPressolaCtrl(QWidget *parent = nullptr, bool userMode = true);
    ~CPressolaCtrl() override;

    // The property named by its dispatch id, or an empty name.
    static QByteArray PropertyName(int dispid);

    quint32 GetBackColor() const { return m_BackColor; }
    void SetBackColor(quint32 color);
    QString GetCaption() const { return m_Caption; }
    void SetCaption(const QString &caption);
    QFont GetFont() const { return m_Font; }
    void SetFont(const QFont &font);
    quint32 GetForeColor() const { return m_ForeColor; }
    void SetForeColor(quint32 color);
    qint16 GetAppearance() const { return m_Appearance; }
    void SetAppearance(qint16 appearance);
    qint16 GetXPos() const { return m_XPos; }
    void SetXPos(qint16 x);
    qint16 GetYPos() const { return m_YPos; }
    void SetYPos(qint16 y);
    QString GetFilename() const { return m_Filename; }
    void SetFilename(const QString &filename);
    bool GetEnabled() const { return isEnabled(); }
    void SetEnabled(bool enabled);
    bool GetAutoFocus() const { return m_AutoFocus != 0; }
    void SetAutoFocus(bool autoFocus);
    QString GetResourceName() const { return m_ResourceName; }
    void SetResourceName(const QString &name);
    qint32 GetTextJustify() const { return m_TextJustify; }
    void SetTextJustify(qint32 flags);

    // Property exchange with the saved binary block.
    bool Load(const QByteArray &block);
    QByteArray Save();
    void ResetState();

    int ButtonState() const { return m_ButtonState; }
    bool IsTracking() const { return m_tracking; }
    bool IsModified() const { return m_modified; }
    void SetModifiedFlag(bool modified = true) { m_modified = modified; }
    bool UserMode() const { return m_userMode; }

    // The host program's bitmap resources.
    static QString HostModule();
    // Qt alignment of the caption for the text-alignment flags.
    static Qt::Alignment CaptionAlignment(qint32 textJustify);
    // An OLE colour as red, green and blue.
    QColor TranslateColor(quint32 oleColor) const;

signals:
    void MouseDown(short Button, short Shift, int x, int y);
    void Click();
    void DblClick();
    void MouseUp(short Button, short Shift, int x, int y);
    void MouseMove(short Button, short Shift, int x, int y);

protected:
    bool event(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void timerEvent(QTimerEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void changeEvent(QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    PropertyBlock Exchange() const;
    void ApplyExchange(const PropertyBlock &block);
    void AfterExchange();
    void OnResourceNameChanged();
    void OnFilenameChanged();
    void StartHoverTimer();
    void StopHoverTimer();
    bool InsideButton(const QPoint &point) const;
    void SetButtonState(int state);
    CDib &StateBitmap();
    void DrawCaption(QPainter &painter);

    // Framework handling of the mouse: MouseDown, MouseUp, Click, DblClick.
    void ButtonDown(QMouseEvent *event);
    void ButtonUp(QMouseEvent *event);

    CDib m_bmpUp;
    CDib m_bmpOver;
    CDib m_bmpDown;
    CDib m_bmpFocus;
    CDib m_bmpDisabled;
    qint32 m_ButtonState = StateNone;
    qint32 m_timerId = 0;
    bool m_tracking = false;
    bool m_hasFocus = false;
    bool m_fileBitmapLoaded = false;
    bool m_stateBitmapsLoaded = false;
    qint32 m_bitmapWidth = 0;
    qint32 m_bitmapHeight = 0;
    CDib m_fileBitmap;
    qint16 m_XPos = -1;
    qint16 m_YPos = -1;
    QString m_Filename;
    qint32 m_AutoFocus = 1;
    QString m_ResourceName;
    qint32 m_TextJustify = 6;

    // Stock properties (Enabled is the widget's own).
    quint32 m_BackColor = 0;
    QString m_Caption;
    QFont m_Font;
    quint32 m_ForeColor = 0;
    qint16 m_Appearance = 0;
    qint32 m_extentX = 0;
    qint32 m_extentY = 0;
    qint16 m_fontCharset = 0;

    QBasicTimer m_hoverTimer;
    bool m_userMode = true;
    bool m_modified = false;
    int m_buttonsDown = 0;
    int m_buttonsDoubleClicked = 0;
};
