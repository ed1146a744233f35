// A program that the fault tests kill at random moments while it writes through the program's own code.
//
//   fault_writer settings PATH   stores the two faultUserName() values in turn with profile::WriteString
//   fault_writer language PATH   replaces the file with faultLanguageFile() and assigns it as the language
//                                file (TLangChanger::setLangFile), which rewrites it, over and over
//   fault_writer lock PATH       takes the lock file as a start of the program does, and waits
//
// Each prints "ready <ms>" once it has gone round twice, <ms> being the time of one round, and then goes on
// until it is killed (ten seconds at most, in case nobody does).
#include <QElapsedTimer>
#include <QThread>
#include <cstdio>
#include <cstring>

#include "platform/instancechannel.h"
#include "platform/profile.h"
#include "settings/langchanger.h"
#include "tests/faultfiles.h"

using namespace quorvane;

namespace {

void ready(qint64 roundMs) {
  std::printf("ready %lld\n", static_cast<long long>(roundMs));
  std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: fault_writer settings|language|lock PATH\n");
    return 2;
  }
  const QString path = QString::fromLocal8Bit(argv[2]);
  QElapsedTimer clock;
  clock.start();
  if (std::strcmp(argv[1], "lock") == 0) {
    StartLock lock(path);
    if (lock.lock(QDeadlineTimer(0)) != StartLock::Result::Locked) return 1;
    ready(0);
    QThread::sleep(10);
    return 0;
  }
  const bool settings = std::strcmp(argv[1], "settings") == 0;
  const QByteArray names[] = {test::faultUserName(false), test::faultUserName(true)};
  const QByteArray language = test::faultLanguageFile();
  for (int round = 1; clock.elapsed() < 10000; ++round) {
    if (settings) {
      if (!profile::WriteString(path, "Defaults", "UserName", names[round % 2])) return 1;
    } else {
      if (!profile::WriteFileAtomically(path, language)) return 1;
      TLangChanger translator;
      translator.setLangFile(path);
    }
    if (round == 2) ready(clock.elapsed() / 2);
  }
  return 0;
}
