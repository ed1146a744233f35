// Renders the program's windows offscreen into PNG files, for the README and for checking by eye.
// Usage: quorvane_screenshot OUTPUT_FOLDER
#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <cstdio>

#include "main/quorvaneform.h"
#include "platform/programfolder.h"

int main(int argc, char** argv) {
  using namespace quorvane;
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s OUTPUT_FOLDER\n", argv[0]);
    return 2;
  }
  QApplication application(argc, argv);
  const QString output = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();
  QDir().mkpath(output);

  SetApplicationTitle(QStringLiteral("Quorvane"));
  TQuorvaneForm form;
  // The example of the request hint, calculated by the start-up sequence.
  form.findChild<QLineEdit*>(QStringLiteral("edAddress"))->setText(QStringLiteral("192.168.28.6"));
  form.findChild<QLineEdit*>(QStringLiteral("edMask"))->setText(QStringLiteral("/27"));
  form.FormCreate();
  form.show();
  QApplication::processEvents();
  const QString file = output + QStringLiteral("/main-window.png");
  if (!form.grab().save(file)) {
    std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
    return 1;
  }
  std::printf("%s\n", qPrintable(file));
  return 0;
}
