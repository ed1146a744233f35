// Renders the program's windows offscreen into PNG files, for the README and for checking by eye.
// Usage: quorvane_screenshot OUTPUT_FOLDER
#include <QApplication>
#include <QDir>
#include <cstdio>

#include "main/quorvaneform.h"
#include "platform/adapters.h"
#include "platform/programfolder.h"

namespace {

// The example of the request hint stands in for the machine's own address, so every render is the same.
class ExampleAdapter : public quorvane::AdapterSource {
 public:
  std::optional<QList<quorvane::Adapter>> query() override {
    return QList<quorvane::Adapter>{{{{"192.168.28.6", "255.255.255.224", 1}}}};
  }
};

}  // namespace

int main(int argc, char** argv) {
  using namespace quorvane;
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s OUTPUT_FOLDER\n", argv[0]);
    return 2;
  }
  QApplication application(argc, argv);
  const QString output = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();
  QDir().mkpath(output);

  ExampleAdapter example;
  SetAdapterSourceForTests(&example);
  SetApplicationTitle(QStringLiteral("Quorvane"));
  TQuorvaneForm form;
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
