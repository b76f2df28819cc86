#include "pressola/PressolaPropPage.h"

#include <QFontMetrics>
#include <QLabel>

namespace {
// The page's layout in dialog units of its 8-point font.
constexpr int kPageWidth = 250, kPageHeight = 62;
constexpr int kTextLeft = 7, kTextTop = 7, kTextWidth = 229, kTextHeight = 48;

QRect DialogUnits(const QFontMetrics &metrics, int l, int t, int w, int h)
{
    // Horizontal units are a quarter of the average character width,
    // vertical ones an eighth of the character height.
    const double x = metrics.averageCharWidth() / 4.0;
    const double y = metrics.height() / 8.0;
    return QRect(qRound(l * x), qRound(t * y), qRound(w * x), qRound(h * y));
}
} // namespace

CPressolaPropPage::CPressolaPropPage(QWidget *parent)
    : QWidget(parent)
{
    setWindowTitle(Caption());
    setFont(QFont(QStringLiteral("MS Sans Serif"), 8));
    const QFontMetrics metrics(font());
    resize(DialogUnits(metrics, 0, 0, kPageWidth, kPageHeight).size());
    auto *text = new QLabel(Text(), this);
    text->setWordWrap(true);
    text->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    text->setGeometry(DialogUnits(metrics, kTextLeft, kTextTop, kTextWidth, kTextHeight));
}

QString CPressolaPropPage::Caption()
{
    return QStringLiteral("General");
}

QString CPressolaPropPage::Text()
{
    return QStringLiteral("Set the ResourceName property to the base name of the bitmap resources you are "
                          "associating with the control.  For example:\n\n"
                          "use \"BUTTON\" and define \"BUTTONU\", \"BUTTOND\",  \"BUTTONO\" and \"BUTTONX\" "
                          "in your resource file.");
}
