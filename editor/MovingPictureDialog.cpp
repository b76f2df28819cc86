#include "editor/MovingPictureDialog.h"

#include "core/MessageIds.h"
#include "resources/StringTable.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QSpinBox>

namespace {

const struct
{
    MovingPicture::Format format;
    int text;
} kFormats[] = {
    {MovingPicture::Format::Mp4, Msg::Mp4Filter},
    {MovingPicture::Format::WebM, Msg::WebMFilter},
    {MovingPicture::Format::WebP, Msg::WebPFilter},
    {MovingPicture::Format::Gif, Msg::GifFilter},
};

// A field with its label, the label's text naming it for screen readers.
void AddRow(QFormLayout *form, int labelText, QWidget *field)
{
    auto *label = new QLabel(LoadResString(labelText));
    label->setBuddy(field);
    field->setAccessibleName(label->text().remove(QLatin1Char('&')).remove(QLatin1Char(':')));
    form->addRow(label, field);
}

} // namespace

MovingPictureDialog::MovingPictureDialog(const QString &caption, QWidget *parent)
    : QDialog(parent)
    , m_caption(caption.trimmed())
{
    setWindowTitle(LoadResString(Msg::MovingPictureTitle));
    Format = new QComboBox;
    for (const auto &format : kFormats)
        Format->addItem(LoadResString(format.text));
    Size = new QComboBox;
    for (int edge : MovingPicture::Edges)
        Size->addItem(LoadResString(Msg::MovingPictureEdge).arg(edge), edge);
    Size->setCurrentIndex(Size->findData(MovingPicture::Options().edge));
    Seconds = new QSpinBox;
    Seconds->setRange(2, 30);
    Seconds->setValue(6);
    ShowCaption = new QCheckBox(LoadResString(Msg::ShowCaptionUnderCube));
    ShowCaption->setEnabled(!m_caption.isEmpty());
    ShowCaption->setChecked(!m_caption.isEmpty());
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto *form = new QFormLayout(this);
    AddRow(form, Msg::MovingPictureFormat, Format);
    AddRow(form, Msg::MovingPictureSize, Size);
    AddRow(form, Msg::MovingPictureSeconds, Seconds);
    form->addRow(ShowCaption);
    form->addRow(buttons);
}

MovingPicture::Options MovingPictureDialog::options() const
{
    MovingPicture::Options options = MovingPicture::Options::For(kFormats[Format->currentIndex()].format);
    options.edge = Size->currentData().toInt();
    options.seconds = Seconds->value();
    if (ShowCaption->isChecked())
        options.caption = m_caption;
    return options;
}

QString MovingPictureDialog::fileFilter() const
{
    return Format->currentText();
}
