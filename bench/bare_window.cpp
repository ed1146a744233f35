// The baseline of the start benchmark: a bare Qt window of the main window's kind, built with the same flags,
// that quits once it has drawn its first frame.
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenuBar>
#include <QStatusBar>
#include <QToolBar>

#include "bench/firstframe.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  QMainWindow window;
  window.setWindowTitle(QStringLiteral("Bare window"));

  QMenu* menu = window.menuBar()->addMenu(QStringLiteral("Action"));
  QToolBar* tools = window.addToolBar(QStringLiteral("Tools"));
  for (const char* name : {"Calculate", "Clear all", "Masks", "Exit"}) {
    QAction* action = menu->addAction(QLatin1String(name));
    tools->addAction(action);
  }
  window.menuBar()->addMenu(QStringLiteral("Help"))->addAction(QStringLiteral("About"));

  // A few labelled edits in absolute places, as the main window has them.
  auto* client = new QWidget(&window);
  window.setCentralWidget(client);
  for (int row = 0; row < 6; ++row) {
    auto* label = new QLabel(QStringLiteral("Field %1").arg(row + 1), client);
    label->setGeometry(8, 8 + row * 24, 97, 21);
    auto* edit = new QLineEdit(QStringLiteral("192.168.28.%1").arg(row), client);
    edit->setGeometry(112, 8 + row * 24, 217, 21);
  }
  window.statusBar()->showMessage(QStringLiteral("Ready"));
  window.resize(466, 458);

  const quorvane::bench::QuitOnFirstFrame quit(&window);
  window.show();
  return application.exec();
}
