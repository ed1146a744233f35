// The benchmark rows of settings and language files of many lines.
#include "bench/file_rows.h"

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <cstdio>
#include <functional>

#include "platform/programfolder.h"
#include "settings/formini.h"
#include "settings/langchanger.h"
#include "settings/settingsvalues.h"
#include "settings/texttable.h"

namespace quorvane::bench {

namespace {

// What one child measured: the operation's own time, and the process's peak resident memory.
struct Sample {
  double nanoseconds = 0;
  double maxRssKiB = 0;
  bool ok = false;
};

// Runs `operation` in a forked child with an offscreen application object of its own; the child times the
// operation and hands the time back through a pipe, and its end gives its peak resident memory. The
// operation's result says whether it did what it should.
Sample inChild(const std::function<bool()>& operation) {
  Sample sample;
  int channel[2];
  if (::pipe(channel) != 0) return sample;
  const pid_t pid = ::fork();
  if (pid < 0) return sample;
  if (pid == 0) {
    ::close(channel[0]);
    ::alarm(60);
    qputenv("QT_QPA_PLATFORM", "offscreen");
    int argc = 1;
    char name[] = "quorvane_bench";
    char* argv[] = {name, nullptr};
    QApplication application(argc, argv);
    const Clock::time_point begin = Clock::now();
    const bool ok = operation();
    const double elapsed = nanosecondsSince(begin);
    const bool sent = ::write(channel[1], &elapsed, sizeof elapsed) == ssize_t(sizeof elapsed);
    ::_exit(ok && sent ? 0 : 1);
  }
  ::close(channel[1]);
  double elapsed = 0;
  const bool received = ::read(channel[0], &elapsed, sizeof elapsed) == ssize_t(sizeof elapsed);
  ::close(channel[0]);
  int status = 0;
  rusage usage{};
  if (::wait4(pid, &status, 0, &usage) != pid) return sample;
  sample.nanoseconds = elapsed;
  sample.maxRssKiB = double(usage.ru_maxrss);
  sample.ok = received && WIFEXITED(status) && WEXITSTATUS(status) == 0;
  return sample;
}

bool writeWhole(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

// A file of the given size: `head`, then line breaks up to the size.
QByteArray linesFile(const QByteArray& head, qsizetype size, QByteArrayView lineBreak) {
  QByteArray bytes = head;
  bytes.reserve(size);
  while (bytes.size() + lineBreak.size() <= size) bytes += lineBreak;
  return bytes;
}

// One kind of file, measured at two sizes and against a file of a few lines: each run writes the files
// afresh (an exit or a rewrite changes them) and measures the three in turn.
struct Subject {
  QString name;     // what is done, for the row
  QString path;     // where the file goes
  QByteArray head;  // the entries before the line breaks
  QByteArrayView lineBreak;
  qsizetype size = 0;  // of the large file; the middle one is a tenth of it
  std::function<bool()> operation;
};

void subjectRows(std::vector<Row>& rows, const Subject& subject, int runs) {
  const QByteArray large = linesFile(subject.head, subject.size, subject.lineBreak);
  const QByteArray tenth = linesFile(subject.head, subject.size / 10, subject.lineBreak);
  std::vector<double> largeTime, largeRss, tenthTime, smallTime, smallRss;
  QString failure;
  for (int r = 0; r < runs && failure.isEmpty(); ++r) {
    for (const QByteArray* bytes : {&large, &tenth, &subject.head}) {
      if (!writeWhole(subject.path, *bytes)) {
        failure = QStringLiteral("cannot write the file");
        break;
      }
      const Sample sample = inChild(subject.operation);
      if (!sample.ok) {
        failure = QStringLiteral("a measured process failed");
        break;
      }
      if (bytes == &large) {
        largeTime.push_back(sample.nanoseconds);
        largeRss.push_back(sample.maxRssKiB);
      } else if (bytes == &tenth) {
        tenthTime.push_back(sample.nanoseconds);
      } else {
        smallTime.push_back(sample.nanoseconds);
        smallRss.push_back(sample.maxRssKiB);
      }
    }
  }
  const QString megabytes = QString::number(double(subject.size) / 1e6, 'f', 0) + QStringLiteral(" MB");
  Row time(subject.name + QStringLiteral(", ") + megabytes, Unit::Time);
  time.baselineName = QStringLiteral("the same with a file of a few lines");
  Row perByte(QStringLiteral("  the same per byte, against a file of a tenth of the size"), Unit::Time);
  perByte.baselineName = QStringLiteral("the same with a file of ") +
                         QString::number(double(subject.size) / 1e7, 'f', 0) +
                         QStringLiteral(" MB, per byte; time linear in the size gives 1x");
  perByte.ratioCeiling = 1.5;
  Row memory(QStringLiteral("  the same, peak resident memory of the process"), Unit::Memory);
  memory.baselineName = QStringLiteral(
      "the same with a file of a few lines; the goal is twice the file's size "
      "above it");
  for (Row* row : {&time, &perByte, &memory}) row->failure = failure;
  if (failure.isEmpty()) {
    time.result = {median(largeTime), median(smallTime), runs};
    perByte.result = {median(largeTime) / double(large.size()), median(tenthTime) / double(tenth.size()),
                      runs};
    memory.result = {median(largeRss), median(smallRss), runs};
    memory.excessCeiling = 2.0 * double(large.size()) / 1024;
  }
  rows.insert(rows.end(), {time, perByte, memory});
}

}  // namespace

void fileRows(std::vector<Row>& rows, const QString& work, int runs) {
  const QString folder = work + QStringLiteral("/files");
  if (!QDir().mkpath(folder + QStringLiteral("/languages"))) {
    Row row(QStringLiteral("settings and language files"));
    row.failure = QStringLiteral("cannot prepare the program folder");
    rows.push_back(row);
    return;
  }
  SetProgramLocationForTests(folder, QStringLiteral("quorvane"));
  const QString language = folder + QStringLiteral("/languages/english.lng");

  // The settings as a start reads them (the window's construction and its first show) and an exit writes
  // them, through the program's own settings form.
  subjectRows(rows,
              {QStringLiteral("settings file of LF line breaks: start's reads and exit's write"),
               folder + QStringLiteral("/quorvane.ini"),
               "[Defaults]\nUserName=bench\nDefaultTypeConvert=1\n[Window Position]\nTop=10\nLeft=20\n", "\n",
               10'000'000,
               [] {
                 {
                   TFormINI form;
                   form.setVisible(true);
                   form.setVisible(false);
                   if (Settings().UserName != "bench") return false;
                 }
                 return true;
               }},
              runs);
  // A language file in its rewritten form, loaded as a start or a switch loads it.
  const auto load = [] {
    Settings().DefaultLang = QStringLiteral("english.lng");
    LangChanger().reset();
    LoadLanguage();
    return Tr(Text::sMask) == QStringLiteral("Mask");
  };
  subjectRows(rows,
              {QStringLiteral("language file of CR LF line breaks: loaded"), language,
               "[Translations]\r\nQuorvaneForm.Caption=Bench\r\nsMask=Mask\r\n", "\r\n", 10'000'000, load},
              runs);
  // One with LF line breaks, which its load rewrites into CR LF, doubling it.
  subjectRows(rows,
              {QStringLiteral("language file of LF line breaks: rewritten and loaded"), language,
               "[Translations]\nQuorvaneForm.Caption=Bench\nsMask=Mask\nbare\n", "\n", 8'000'000, load},
              runs);
  SetProgramLocationForTests(QString());
}

}  // namespace quorvane::bench
