#pragma once

#include "pressola/PressolaFactory.h"

#include <QObject>

#if defined(PRESSOLA_DESIGNER)
#include <QtUiPlugin/QDesignerCustomWidgetInterface>
#endif

// The library's plugin object: the class factory its host loads through the
// registered class, and, where Qt Designer is built for, the design-mode
// host's widget plugin.
class PressolaPlugin : public QObject,
                       public PressolaFactory
#if defined(PRESSOLA_DESIGNER)
    ,
                       public QDesignerCustomWidgetInterface
#endif
{
    Q_OBJECT
#if defined(PRESSOLA_DESIGNER)
    Q_PLUGIN_METADATA(IID "org.qt-project.Qt.QDesignerCustomWidgetInterface")
    Q_INTERFACES(PressolaFactory QDesignerCustomWidgetInterface)
#else
    Q_PLUGIN_METADATA(IID PressolaFactory_iid)
    Q_INTERFACES(PressolaFactory)
#endif

public:
    explicit PressolaPlugin(QObject *parent = nullptr);

    QWidget *CreateInstance(const QString &classId, QWidget *parent) override;
    bool Load(QWidget *control, const QByteArray &block) override;

    // The 16 x 15 toolbox image.
    static QIcon ToolboxIcon();

#if defined(PRESSOLA_DESIGNER)
    QString name() const override;
    QString group() const override;
    QString toolTip() const override;
    QString whatsThis() const override;
    QString includeFile() const override;
    QIcon icon() const override;
    bool isContainer() const override;
    QWidget *createWidget(QWidget *parent) override;
#endif
};
