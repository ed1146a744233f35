// The benchmark run behind scripts/bench.sh: the whole start of the program against a bare Qt window, the
// settings and language files of many lines, then the calculation, the special-purpose block lookups, a
// language switch and the three reference dialogs inside one process. Prints the machine and one table of
// medians. Goals are reported, never enforced: a missed goal does not change the exit code.
// Usage: quorvane_bench [--runs N]   (N process starts of each program, 21 by default)
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QAction>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QImage>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QTableWidget>
#include <QTemporaryDir>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>
#include <thread>

#include "bench/file_rows.h"
#include "bench/firstpaint.h"
#include "bench/harness.h"
#include "bench/ipv6_rows.h"
#include "bench/ipv6window_rows.h"
#include "bench/planner_rows.h"
#include "bench/registry_rows.h"
#include "core/display.h"
#include "core/mask.h"
#include "core/subnet.h"
#include "dialogs/dlgaddressdetails.h"
#include "dialogs/dlgselectaddresses.h"
#include "dialogs/dlgshowdiap.h"
#include "dialogs/dlgshowinfo.h"
#include "main/quorvaneform.h"
#include "platform/adapters.h"
#include "platform/programfolder.h"
#include "settings/langchanger.h"
#include "widgets/errorguard.h"

extern char** environ;

namespace quorvane::bench {

namespace {

// Whole processes.

struct Start {
  double wall = 0;    // nanoseconds from fork to the end of the child
  double cpu = 0;     // nanoseconds of user and system time of the child
  double maxRss = 0;  // kibibytes
  bool ok = false;
};

double nanoseconds(const timeval& t) { return double(t.tv_sec) * 1e9 + double(t.tv_usec) * 1e3; }

// One program to start, with its arguments and environment prepared before the fork.
class Program {
 public:
  Program(const QString& path, const QStringList& arguments, const std::vector<std::string>& environment,
          int log)
      : m_log(log) {
    m_strings.push_back(path.toStdString());
    for (const QString& argument : arguments) m_strings.push_back(argument.toStdString());
    for (std::string& s : m_strings) m_argv.push_back(s.data());
    m_argv.push_back(nullptr);
    m_environment = environment;
    for (std::string& s : m_environment) m_envp.push_back(s.data());
    m_envp.push_back(nullptr);
  }

  Start run() {
    Start start;
    const Clock::time_point begin = Clock::now();
    const pid_t pid = fork();
    if (pid < 0) return start;
    if (pid == 0) {
      dup2(m_log, STDOUT_FILENO);
      dup2(m_log, STDERR_FILENO);
      // A child that never shows its window (a modal box, a hang) ends by the alarm, which survives exec.
      alarm(20);
      execve(m_argv[0], m_argv.data(), m_envp.data());
      _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid) return start;
    start.wall = nanosecondsSince(begin);
    start.cpu = nanoseconds(usage.ru_utime) + nanoseconds(usage.ru_stime);
    start.maxRss = double(usage.ru_maxrss);
    start.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return start;
  }

 private:
  int m_log;
  std::vector<std::string> m_strings;
  std::vector<char*> m_argv;
  std::vector<std::string> m_environment;
  std::vector<char*> m_envp;
};

std::vector<std::string> childEnvironment(const QString& runtimeFolder) {
  std::vector<std::string> result;
  for (char** e = environ; *e; ++e) {
    if (std::strncmp(*e, "QT_QPA_PLATFORM=", 16) == 0 || std::strncmp(*e, "XDG_RUNTIME_DIR=", 16) == 0)
      continue;
    result.emplace_back(*e);
  }
  result.emplace_back("QT_QPA_PLATFORM=offscreen");
  // A private runtime folder: a running Quorvane of the user's is never handed off to, nor disturbed.
  result.push_back("XDG_RUNTIME_DIR=" + runtimeFolder.toStdString());
  return result;
}

// Whether the start-up's first calculation succeeds on the machine's first adapter address. Without one, or
// with a mask that is no subnet mask (a /32 tunnel, say), it would stop the start at its error message.
bool firstAdapterCalculates() {
  const std::optional<QList<Adapter>> adapters = SystemAdapterSource().query();
  if (!adapters || adapters->isEmpty()) return false;
  const AdapterAddress& first = adapters->first().addresses.first();
  MaskForm form = MaskForm::Dotted;
  return InetAddr(first.address.toStdString()) != kInvalid &&
         ReadMask(first.mask.toStdString(), form) != kInvalid;
}

bool copyLanguages(const QString& programFolder) {
  const QDir source(QStringLiteral(QUORVANE_BENCH_LANGUAGES));
  if (!QDir().mkpath(programFolder + QStringLiteral("/languages"))) return false;
  const QStringList files = source.entryList({QStringLiteral("*.lng")}, QDir::Files);
  for (const QString& name : files) {
    if (!QFile::copy(source.filePath(name), programFolder + QStringLiteral("/languages/") + name))
      return false;
  }
  return !files.isEmpty();
}

void processRows(std::vector<Row>& rows, const QString& work, const QString& runtime, int runs) {
  Row time{QStringLiteral("start to first results shown (process)"), Unit::Time};
  time.baselineName = QStringLiteral("bare Qt 6 QMainWindow with menu, tool bar and edits, same flags");
  time.ratioCeiling = 1.2;
  // Not a goal: the share of the start that is computation, without the waits for the disk and the other
  // processes of the machine.
  Row cpu{QStringLiteral("  the same starts, CPU time (user + system)"), Unit::Time};
  cpu.baselineName = time.baselineName;
  Row memory{QStringLiteral("peak resident memory (process)"), Unit::Memory};
  memory.baselineName = time.baselineName;
  memory.ratioCeiling = 1.2;

  const QString program = work + QStringLiteral("/program");
  const QString logPath = work + QStringLiteral("/children.log");
  const int log = ::open(logPath.toLocal8Bit().constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (!copyLanguages(program) || log < 0) {
    time.failure = cpu.failure = memory.failure = QStringLiteral("cannot prepare the program folder");
    rows.insert(rows.end(), {time, cpu, memory});
    return;
  }

  const std::vector<std::string> environment = childEnvironment(runtime);
  Program bare(QStringLiteral(QUORVANE_BENCH_BARE_WINDOW), {}, environment, log);
  QStringList arguments{program};
  if (!firstAdapterCalculates()) arguments << QStringLiteral("--example-adapter");
  Program quorvane(QStringLiteral(QUORVANE_BENCH_STARTBENCH), arguments, environment, log);
  // The same start in a program folder whose settings hold the IPv6 window's section of an earlier use: a
  // start pays nothing for that window, which is made, translated and read only when it is first opened.
  Row ipv6Used{QStringLiteral("  the same start, the IPv6 window used the time before"), Unit::Time};
  ipv6Used.baselineName = QStringLiteral("the start above, in alternation");
  ipv6Used.ratioCeiling = 1.05;
  const QString usedProgram = work + QStringLiteral("/program-ipv6");
  QStringList usedArguments = arguments;
  usedArguments[0] = usedProgram;
  QFile usedSettings(usedProgram + QStringLiteral("/quorvane.ini"));
  const bool usedReady =
      copyLanguages(usedProgram) && usedSettings.open(QIODevice::WriteOnly) &&
      usedSettings.write("[IPv6 Window]\nLeft=40\nTop=40\nAddress=2001:db8::1\nPrefix=64\n") > 0;
  usedSettings.close();
  Program quorvaneUsed(QStringLiteral(QUORVANE_BENCH_STARTBENCH), usedArguments, environment, log);

  // One start of each first, unmeasured: it fills the page cache and writes the first settings file, as
  // every start but the very first finds one.
  bool ok = bare.run().ok && quorvane.run().ok && usedReady && quorvaneUsed.run().ok;
  std::vector<double> bareWall, bareCpu, bareRss, ownWall, ownCpu, ownRss, usedWall;
  for (int i = 0; ok && i < runs; ++i) {
    const Start b = bare.run();
    const Start q = quorvane.run();
    const Start u = quorvaneUsed.run();
    ok = b.ok && q.ok && u.ok;
    usedWall.push_back(u.wall);
    bareWall.push_back(b.wall);
    bareCpu.push_back(b.cpu);
    bareRss.push_back(b.maxRss);
    ownWall.push_back(q.wall);
    ownCpu.push_back(q.cpu);
    ownRss.push_back(q.maxRss);
  }
  ::close(log);
  if (!ok) {
    QFile file(logPath);
    file.open(QIODevice::ReadOnly);
    std::fprintf(stderr, "A benchmarked start failed; its output:\n%s\n", file.readAll().constData());
    time.failure = cpu.failure = memory.failure = ipv6Used.failure =
        QStringLiteral("a start failed (see above)");
  }
  time.result = {median(ownWall), median(bareWall), runs};
  cpu.result = {median(ownCpu), median(bareCpu), runs};
  memory.result = {median(ownRss), median(bareRss), runs};
  ipv6Used.result = {median(usedWall), median(ownWall), runs};
  rows.insert(rows.end(), {time, cpu, ipv6Used, memory});
}

// Inside one process.

double threadCpuNanoseconds() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return double(now.tv_sec) * 1e9 + double(now.tv_nsec);
}

// The address of the request's example: every run calculates the same, and no message box can appear.
class ExampleAdapter : public AdapterSource {
 public:
  std::optional<QList<Adapter>> query() override {
    return QList<Adapter>{{{{"192.168.28.6", "255.255.255.224", 1}}}};
  }
};

void calculationRows(std::vector<Row>& rows, TQuorvaneForm& form, int repetitions) {
  Row action{QStringLiteral("actCalculate through the action, 17 fields"), Unit::Time};
  action.baselineName = QStringLiteral("the same 17 changing texts written directly into the fields");
  action.ceiling = 20e3;
  form.addressField()->setText(QStringLiteral("192.168.28.6"));
  form.maskField()->setText(QStringLiteral("/27"));
  QAction* calculate = form.command("actCalculate");
  calculate->trigger();

  const QList<TEdit*> fields = form.findChildren<TEdit*>();
  std::vector<std::pair<TEdit*, QString>> written;
  for (TEdit* field : fields) {
    if (!field->text().isEmpty()) written.emplace_back(field, field->text());
  }
  const TEdit* range = form.findChild<TEdit*>(QStringLiteral("edHostRange"));
  if (written.size() != 17 || !range || range->text() != QStringLiteral("192.168.28.1 - 192.168.28.30")) {
    action.failure = QStringLiteral("the calculation did not write the 17 fields");
    rows.push_back(action);
    return;
  }
  // Every run changes every field: the inputs alternate between two requests whose seventeen results all
  // differ (an unchanged text would cost a field nothing). The inputs are switched with their change
  // handler blocked, so a run measures the command alone, not the emptying that typing does.
  const std::pair<QString, QString> requests[] = {{QStringLiteral("192.168.28.6"), QStringLiteral("/27")},
                                                  {QStringLiteral("10.1.2.3"), QStringLiteral("/22")}};
  std::vector<std::pair<TEdit*, QString>> other;
  {
    const QSignalBlocker blockAddress(form.addressField());
    const QSignalBlocker blockMask(form.maskField());
    form.addressField()->setText(requests[1].first);
    form.maskField()->setText(requests[1].second);
    calculate->trigger();
    for (auto& [field, text] : written) other.emplace_back(field, field->text());
  }
  int next = 0;
  const auto calculateNext = [&] {
    const QSignalBlocker blockAddress(form.addressField());
    const QSignalBlocker blockMask(form.maskField());
    form.addressField()->setText(requests[next].first);
    form.maskField()->setText(requests[next].second);
    next ^= 1;
    calculate->trigger();
  };
  action.result = microPair(
      calculateNext,
      [&] {
        for (auto& [field, text] : next ? other : written) field->setText(text);
        next ^= 1;
      },
      repetitions);
  rows.push_back(action);

  // Not a goal: the command with the drawing of its seventeen fields (each rendered into an image of its
  // size: the field alone, without its parents' background or a flush), against the same texts written into
  // seventeen read-only QLineEdits of the same sizes and fonts and rendered alike.
  Row drawn{QStringLiteral("  the same with the 17 fields drawn"), Unit::Time};
  drawn.baselineName =
      QStringLiteral("17 read-only QLineEdits of the same sizes and fonts, written and drawn");
  QWidget plain;
  std::vector<std::pair<QLineEdit*, std::pair<QString, QString>>> edits;
  for (std::size_t i = 0; i < written.size(); ++i) {
    auto* edit = new QLineEdit(&plain);
    edit->setReadOnly(true);
    edit->setFont(written[i].first->font());
    edit->setGeometry(written[i].first->geometry());
    edits.push_back({edit, {written[i].second, other[i].second}});
  }
  QImage canvas(form.size(), QImage::Format_ARGB32_Premultiplied);
  int nextPlain = 0;
  drawn.result = microPair(
      [&] {
        calculateNext();
        for (auto& [field, text] : written) field->render(&canvas);
      },
      [&] {
        for (auto& [edit, texts] : edits) {
          edit->setText(nextPlain ? texts.second : texts.first);
          edit->render(&canvas);
        }
        nextPlain ^= 1;
      },
      repetitions);
  rows.push_back(drawn);

  Row core{QStringLiteral("core calculation alone (binary view)"), Unit::Time};
  core.ceiling = 200;
  std::string addressText = "192.168.28.6";
  std::string maskText = "/27";
  core.result = microSingle(
      [&] {
        doNotOptimize(addressText.data());
        doNotOptimize(maskText.data());
        MaskForm maskForm = MaskForm::Dotted;
        const Ipv4 address = InetAddr(addressText);
        const Ipv4 mask = ReadMask(maskText, maskForm);
        const Subnet s = CalculateSubnet(address, mask);
        for (const Ipv4 value :
             {s.address, s.mask, s.inverse, s.network, s.broadcast, s.maxHost, s.minHost}) {
          const DisplayText text = ConvertTostring(value, kBinary);
          doNotOptimize(text.view().data());
        }
      },
      repetitions);
  rows.push_back(core);
}

QAction* languageItem(const TQuorvaneForm& form, const QString& file) {
  const QMenu* menu = form.findChild<QMenu*>(QStringLiteral("mnChangeLang"));
  if (!menu) return nullptr;
  for (QAction* item : menu->actions()) {
    if (item->property("languageFile").toString() == file) return item;
  }
  return nullptr;
}

void languageRow(std::vector<Row>& rows, TQuorvaneForm& form, int pairs) {
  Row row{QStringLiteral("language switch english <-> russian, per switch"), Unit::Time};
  row.ceiling = 5e6;
  QAction* russian = languageItem(form, QStringLiteral("russian.lng"));
  QAction* english = languageItem(form, QStringLiteral("english.lng"));
  QAction* calculate = form.command("actCalculate");
  if (!russian || !english) {
    row.failure = QStringLiteral("the language menu lacks english.lng or russian.lng");
    rows.push_back(row);
    return;
  }
  std::vector<double> switches, cpu;
  bool translated = true;
  for (int i = 0; i < pairs; ++i) {
    for (QAction* item : {russian, english}) {
      const double cpuBegin = threadCpuNanoseconds();
      const Clock::time_point begin = Clock::now();
      item->trigger();
      // The repaint of the translated window is part of what the user waits for.
      QCoreApplication::processEvents();
      switches.push_back(nanosecondsSince(begin));
      cpu.push_back(threadCpuNanoseconds() - cpuBegin);
      // The shipped captions carry access keys ("&Calculate").
      const bool inEnglish = calculate->text().remove(QLatin1Char('&')) == QStringLiteral("Calculate");
      translated = translated && inEnglish == (item == english);
    }
  }
  if (!translated) row.failure = QStringLiteral("a switch did not change the texts");
  row.result = {median(switches), std::nullopt, int(switches.size())};
  rows.push_back(row);
  // Not a goal: the switch without its waits, of which the synced rewrite of the language file is the
  // longest.
  Row cpuRow(QStringLiteral("  the same switches, CPU time of the thread"));
  cpuRow.failure = row.failure;
  cpuRow.result = {median(cpu), std::nullopt, int(cpu.size())};
  rows.push_back(cpuRow);
}

// One use of a dialog without its modal loop: created with the main window as owner (its constructor fills
// it), translated, shown until its first frame is drawn, closed and destroyed.
template <typename Dialog, typename Fill>
double dialogUse(TQuorvaneForm& form, Dialog*& global, Fill&& fill, bool& painted) {
  const Clock::time_point begin = Clock::now();
  auto* dialog = new Dialog(&form);
  global = dialog;
  fill(dialog);
  LangChanger().TranslateForm(dialog);
  FirstFrame frame(dialog);
  dialog->show();
  painted = frame.wait();
  dialog->close();
  global = nullptr;
  delete dialog;
  const double elapsed = nanosecondsSince(begin);
  QCoreApplication::processEvents();
  return elapsed;
}

// The same use of a bare dialog that holds the plain Qt forms of the dialog's controls.
template <typename Build>
double bareDialogUse(TQuorvaneForm& form, Build&& build, bool& painted) {
  const Clock::time_point begin = Clock::now();
  auto* dialog = new QDialog(&form);
  dialog->setModal(true);
  build(dialog);
  FirstFrame frame(dialog);
  dialog->show();
  painted = frame.wait();
  dialog->close();
  delete dialog;
  const double elapsed = nanosecondsSince(begin);
  QCoreApplication::processEvents();
  return elapsed;
}

void bareGrid(QDialog* dialog, int columns, int rows) {
  dialog->setFixedSize(425, 273);
  auto* grid = new QTableWidget(rows, columns, dialog);
  grid->setGeometry(8, 8, 409, 217);
  for (int r = 0; r < rows; ++r)
    for (int c = 0; c < columns; ++c)
      grid->setItem(r, c, new QTableWidgetItem(QStringLiteral("255.255.%1.%2").arg(r).arg(c)));
  (new QPushButton(QStringLiteral("OK"), dialog))->setGeometry(243, 240, 75, 25);
  (new QPushButton(QStringLiteral("Cancel"), dialog))->setGeometry(331, 240, 75, 25);
}

const QStringList kExampleAddresses{QStringLiteral("192.168.28.6"), QStringLiteral("10.0.0.7"),
                                    QStringLiteral("172.16.4.2")};

void bareChoice(QDialog* dialog) {
  dialog->setFixedSize(384, 179);
  auto* group = new QGroupBox(QStringLiteral("Addresses"), dialog);
  group->setGeometry(8, 8, 281, 161);
  int top = 20;
  for (const QString& address : kExampleAddresses) {
    (new QRadioButton(address, group))->setGeometry(8, top, 200, 20);
    top += 22;
  }
  (new QPushButton(QStringLiteral("OK"), dialog))->setGeometry(300, 8, 75, 25);
  (new QPushButton(QStringLiteral("Cancel"), dialog))->setGeometry(300, 38, 75, 25);
}

template <typename Own, typename Bare>
Row dialogRow(const QString& name, const QString& baselineName, int repetitions, Own&& own, Bare&& bare) {
  Row row(name);
  row.baselineName = baselineName;
  row.ceiling = 20e6;
  std::vector<double> s, b;
  bool painted = true;
  for (int r = 0; r < repetitions && painted; ++r) {
    bool ownPainted = false, barePainted = false;
    s.push_back(own(ownPainted));
    b.push_back(bare(barePainted));
    painted = ownPainted && barePainted;
  }
  if (!painted) row.failure = QStringLiteral("a dialog was not drawn within 2 s");
  row.result = {median(s), median(b), repetitions};
  return row;
}

void dialogRows(std::vector<Row>& rows, TQuorvaneForm& form, int repetitions) {
  const auto nothing = [](auto*) {};
  rows.push_back(dialogRow(
      QStringLiteral("dialog Subnet Mask Info: open, fill, close"),
      QStringLiteral("bare QDialog with a 5 x 24 QTableWidget and two buttons"), repetitions,
      [&](bool& painted) { return dialogUse(form, dlgShowInfo, nothing, painted); },
      [&](bool& painted) {
        return bareDialogUse(
            form, [](QDialog* d) { bareGrid(d, 5, 24); }, painted);
      }));
  rows.push_back(dialogRow(
      QStringLiteral("dialog Reserved addresses: open, fill, close"),
      QStringLiteral("bare QDialog with a 3 x 18 QTableWidget and two buttons"), repetitions,
      [&](bool& painted) { return dialogUse(form, dlgShowDiap, nothing, painted); },
      [&](bool& painted) {
        return bareDialogUse(
            form, [](QDialog* d) { bareGrid(d, 3, 18); }, painted);
      }));
  rows.push_back(dialogRow(
      QStringLiteral("dialog Select address (3): open, fill, close"),
      QStringLiteral("bare QDialog with a group of 3 QRadioButtons and two buttons"), repetitions,
      [&](bool& painted) {
        return dialogUse(
            form, dlgSelectAddresses,
            [](TdlgSelectAddresses* d) {
              d->addressGroup()->setItems(kExampleAddresses);
              d->addressGroup()->setItemIndex(0);
            },
            painted);
      },
      [&](bool& painted) { return bareDialogUse(form, bareChoice, painted); }));
  // The rows of 192.168.28.6/27 are worked out as the command does, registry lookups included.
  rows.push_back(dialogRow(
      QStringLiteral("dialog Address details: open, fill, close"),
      QStringLiteral("bare QDialog with a 2 x 12 QTableWidget and two buttons"), repetitions,
      [&](bool& painted) {
        return dialogUse(
            form, dlgAddressDetails,
            [](TdlgAddressDetails* d) {
              d->setRows(AddressDetailRows(CalculateSubnet(0xC0A81C06u, 0xFFFFFFE0u)));
            },
            painted);
      },
      [&](bool& painted) {
        return bareDialogUse(
            form, [](QDialog* d) { bareGrid(d, 2, 12); }, painted);
      }));
}

void inProcessRows(std::vector<Row>& rows, const QString& work) {
  const QString program = work + QStringLiteral("/inprocess");
  if (!copyLanguages(program)) {
    Row row{QStringLiteral("in-process benchmarks"), Unit::Time};
    row.failure = QStringLiteral("cannot prepare the program folder");
    rows.push_back(row);
    return;
  }
  SetProgramLocationForTests(program, QStringLiteral("quorvane"));
  ExampleAdapter example;
  SetAdapterSourceForTests(&example);
  SetApplicationTitle(QStringLiteral("Quorvane"));
  {
    TQuorvaneForm form;
    form.FormCreate();
    FirstFrame frame(&form);
    form.show();
    frame.wait();
    calculationRows(rows, form, 201);
    ipv6CoreRows(rows, 201);
    ipv6WindowRows(rows, form, 201, 21);
    registryRows(rows, 201);
    languageRow(rows, form, 21);
    dialogRows(rows, form, 21);
    plannerWindowRows(rows, form, 21);
  }
  plannerRows(rows, 21);
  SetAdapterSourceForTests(nullptr);
  SetProgramLocationForTests(QString());
}

}  // namespace

}  // namespace quorvane::bench

int main(int argc, char** argv) {
  using namespace quorvane::bench;
  int runs = 21;
  for (int i = 1; i + 1 < argc; ++i) {
    if (std::strcmp(argv[i], "--runs") == 0) runs = std::max(1, std::atoi(argv[i + 1]));
  }
  std::setvbuf(stdout, nullptr, _IOLBF, 0);
  printMachine();

  QTemporaryDir work;
  if (!work.isValid()) {
    std::fprintf(stderr, "quorvane_bench: no temporary folder\n");
    return 1;
  }
  // The runtime folder of a desktop session is a memory file system (/run/user/<uid>); the hand-off channel
  // keeps its socket and lock file there, so the starts get one of the same kind where the machine has one.
  QTemporaryDir runtime(QDir(QStringLiteral("/dev/shm")).exists()
                            ? QStringLiteral("/dev/shm/quorvane-bench-XXXXXX")
                            : work.filePath(QStringLiteral("runtime")));
  if (!runtime.isValid()) {
    std::fprintf(stderr, "quorvane_bench: no runtime folder\n");
    return 1;
  }
  ::chmod(runtime.path().toLocal8Bit().constData(), 0700);

  std::vector<Row> rows;
  // The starts come first, while this process is still small and without Qt's GUI state: fork copies it.
  std::printf("Starting each program %d times, alternating, after one unmeasured start of each ...\n", runs);
  processRows(rows, work.path(), runtime.path(), runs);
  // So are the file rows: each measures a process of its own.
  std::printf("Reading and writing files of many lines in processes of their own ...\n");
  fileRows(rows, work.path(), std::max(3, runs / 3));

  qputenv("QT_QPA_PLATFORM", "offscreen");
  qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
  quorvane::QuorvaneApplication application(argc, argv);
  std::printf("Measuring inside one process ...\n\n");
  inProcessRows(rows, work.path());

  printTable(rows);
  const QString load = loadAverage();
  std::printf("\nLoad:     %s (1, 5, 15 min) after the run\n", load.toUtf8().constData());
  if (load.section(u' ', 0, 0).toDouble() > double(std::thread::hardware_concurrency()))
    std::printf(
        "The machine was busy with other work: the wall times include waits for a CPU and the disk.\n");
  return 0;
}
