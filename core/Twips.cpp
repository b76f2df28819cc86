#include "core/Twips.h"

#include <QLabel>

QLabel *TwipsLabel(QWidget *parent, int left, int top, int width, int height)
{
    auto *label = new QLabel(parent);
    label->setGeometry(TwipsRect(left, top, width, height));
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}
