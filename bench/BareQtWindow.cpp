// bare-qt-window: the reference for the calculator's start-up cost. A plain Qt Widgets main window
// with what the calculator shows (a menu bar, a status bar, a line edit, a multi-line text and 30
// push buttons) and nothing else.

#include <QApplication>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QMainWindow w;
    w.setWindowTitle(QStringLiteral("Bare Qt Window"));
    for (const char* menu : {"&File", "&Edit", "&View", "&Options", "&Help"})
        w.menuBar()->addMenu(QString::fromLatin1(menu))->addAction(QStringLiteral("Item"));
    auto* client = new QWidget(&w);
    client->setFixedSize(502, 250);
    w.setCentralWidget(client);
    auto* edit = new QLineEdit(client);
    edit->setGeometry(8, 9, 245, 24);
    auto* text = new QPlainTextEdit(client);
    text->setGeometry(268, 8, 226, 233);
    for (int i = 0; i < 30; ++i) {
        auto* b = new QPushButton(QString::number(i), client);
        b->setGeometry(8 + (i % 6) * 40, 44 + (i / 6) * 32, 38, 30);
    }
    w.statusBar()->showMessage(QString());
    w.show();
    return QApplication::exec();
}
