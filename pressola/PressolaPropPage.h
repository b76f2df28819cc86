#pragma once

#include "pressola/PressolaExport.h"

#include <QWidget>

// The control's one property page, "General": a note on how ResourceName
// names the host's bitmaps. It binds no property.
class PRESSOLA_EXPORT CPressolaPropPage : public QWidget
{
    Q_OBJECT
public:
    explicit CPressolaPropPage(QWidget *parent = nullptr);

    static QString Caption();
    static QString Text();
};
