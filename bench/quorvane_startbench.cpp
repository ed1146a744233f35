// The program's start as the start benchmark runs it: the entry of main/main.cpp, with the real main window,
// its start-up sequence and the hand-off channel, ending once the window has drawn its first frame.
// Usage: quorvane_startbench PROGRAM_FOLDER [--example-adapter]
//   PROGRAM_FOLDER      holds languages/ and receives quorvane.ini
//   --example-adapter   for machines without an IPv4 adapter: the start-up reads 192.168.28.6/27 instead, as
//                       the first calculation would otherwise stop the start at its error message
#include <cstdio>
#include <cstring>

#include "bench/firstframe.h"
#include "main/program.h"
#include "main/quorvaneform.h"
#include "platform/adapters.h"
#include "platform/programfolder.h"
#include "widgets/errorguard.h"

int main(int argc, char** argv) {
  using namespace quorvane;
  if (argc < 2 || argc > 3 || (argc == 3 && std::strcmp(argv[2], "--example-adapter") != 0)) {
    std::fprintf(stderr, "usage: %s PROGRAM_FOLDER [--example-adapter]\n", argv[0]);
    return 2;
  }
  class ExampleAdapter : public AdapterSource {
   public:
    std::optional<QList<Adapter>> query() override {
      return QList<Adapter>{{{{"192.168.28.6", "255.255.255.224", 1}}}};
    }
  } example;
  if (argc == 3) SetAdapterSourceForTests(&example);
  QuorvaneApplication application(argc, argv);
  // Before the form exists: its settings base class reads the settings file from the program folder.
  SetProgramLocationForTests(QString::fromLocal8Bit(argv[1]), QStringLiteral("quorvane"));
  // Another instance answering on this runtime folder means this start measured nothing: exit code 3.
  // The quitter is a child of the window, which owns it.
  return RunProgram(QString(), 3, [](TQuorvaneForm& form) { new bench::QuitOnFirstFrame(&form); });
}
