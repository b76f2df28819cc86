// The anchor of the start-up benchmark: a bare Qt window with the frame's
// title and size, and nothing else.
#include <QApplication>
#include <QMainWindow>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QMainWindow window;
    window.setWindowTitle(QString::fromUtf8("Norvane\u00ae Vexilo"));
    window.resize(1024, 768);
    window.show();
    return app.exec();
}
