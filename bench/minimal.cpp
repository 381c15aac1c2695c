// The baseline the utility's start-up and memory are measured against: the least a Qt Widgets
// program needs to show a main window like the utility's, a menu bar over a client area.

#include <QApplication>
#include <QMainWindow>
#include <QMenuBar>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("minimal"));
    QMenuBar* bar = window.menuBar();
    bar->addMenu(QStringLiteral("Display setting"));
    bar->addMenu(QStringLiteral("&Persistent Demo "));
    bar->addMenu(QStringLiteral("&Interactive display demonstration"));
    bar->addAction(QStringLiteral("About"));
    auto* client = new QWidget(&window);
    window.setCentralWidget(client);
    // The utility's client area, 7875 x 4950 twips at 96 dpi; bench_startup prints both sizes.
    window.setFixedSize(525, 330 + bar->sizeHint().height());
    window.show();
    return app.exec();
}
