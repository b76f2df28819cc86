// The anchor of the start-up benchmark: a bare Qt window with the frame's
// title and size and one label of text, so that it starts the same Qt with
// the same platform plugin and pays what any window showing text pays (the
// font configuration, the accessibility bridge on the first text), and
// nothing else.
#include <QApplication>
#include <QLabel>
#include <QMainWindow>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QMainWindow window;
    window.setWindowTitle(QString::fromUtf8("Norvane\u00ae Vexilo"));
    auto *label = new QLabel;
    label->setAlignment(Qt::AlignCenter);
    label->setText(QString::fromUtf8("Norvane\u00ae Vexilo"));
    window.setCentralWidget(label);
    window.resize(1024, 768);
    window.show();
    return app.exec();
}
