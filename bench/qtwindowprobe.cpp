// What Qt itself costs to start here and now: a main window of the same kind
// as the program's, with a menu bar, a label, a list, a text box and a button,
// none of them ours. Says what it cost, as the start-up probe does, for the
// benchmark to set the program's start beside it.

#include "probeoutput.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMainWindow>
#include <QMenuBar>
#include <QPushButton>
#include <QVBoxLayout>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QMainWindow window;
    window.menuBar()->addMenu(QStringLiteral("File"))->addAction(QStringLiteral("New"));
    window.menuBar()->addAction(QStringLiteral("About"));
    auto *client = new QWidget;
    auto *layout = new QVBoxLayout(client);
    layout->addWidget(new QLabel(QStringLiteral("Connect your PSP")));
    auto *list = new QListWidget;
    list->addItems({QStringLiteral("One"), QStringLiteral("Two")});
    layout->addWidget(list);
    layout->addWidget(new QLineEdit(QStringLiteral("New playlist")));
    layout->addWidget(new QPushButton(QStringLiteral("Delete")));
    window.setCentralWidget(client);
    window.resize(618, 369);
    window.show();
    return printWhenShown(window);
}
