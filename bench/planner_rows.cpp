// The subnet planner's benchmark rows: the rows a grid draws of a split into 4,194,304 subnets, the whole
// list written as text beside ipcalc-ng and Python's ipaddress, summarising 100,000 prefixes of each family
// beside Python's collapse_addresses and netmask, sizing 1,000 requirements, and the planner window's Plan
// of the four million rows until its grid has drawn them.
#include "bench/planner_rows.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QFile>
#include <QTemporaryDir>
#include <ctime>
#include <random>
#include <string>

#include "core/plan.h"
#include "core/sizing.h"
#include "core/split.h"
#include "core/summarise.h"

extern char** environ;

namespace quorvane::bench {

namespace {

struct ProcessRun {
  double wall = 0;  // nanoseconds from the spawn to the end of the child
  bool ok = false;
};

// Runs a program found on PATH, its standard input read from `input` and its output written to `output`
// (/dev/null for either when empty). Not ok when it cannot be started or does not exit with 0.
ProcessRun runProcess(const std::vector<std::string>& arguments, const std::string& input = {},
                      const std::string& output = {}) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, input.empty() ? "/dev/null" : input.c_str(),
                                   O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, output.empty() ? "/dev/null" : output.c_str(),
                                   O_WRONLY | O_CREAT | O_TRUNC, 0600);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  std::vector<char*> argv;
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  ProcessRun run;
  const Clock::time_point begin = Clock::now();
  pid_t pid = 0;
  const int error = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (error != 0) return run;
  int status = 0;
  if (waitpid(pid, &status, 0) != pid) return run;
  run.wall = nanosecondsSince(begin);
  run.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
  return run;
}

double threadCpuNanoseconds() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return double(now.tv_sec) * 1e9 + double(now.tv_nsec);
}

bool onPath(const char* program) {
  const QByteArray path = qgetenv("PATH");
  for (const QByteArray& folder : path.split(':')) {
    if (!folder.isEmpty() && ::access((folder + '/' + program).constData(), X_OK) == 0) return true;
  }
  return false;
}

// The text of rows first..first+count-1, as the grid's cells.
std::size_t drawRows(const EqualSplit& split, std::uint64_t first, int count) {
  std::size_t characters = 0;
  for (int i = 0; i < count; ++i) {
    for (const std::string& cell : RowCells(split.rowAt(U128(first + std::uint64_t(i)))))
      characters += cell.size();
  }
  return characters;
}

void gridRows(std::vector<Row>& rows, const EqualSplit& split, int repetitions) {
  Row first{QStringLiteral("planner: 10.0.0.0/8 into /30, first 50 rows as cells"), Unit::Time};
  // A screenful of rows in a small part of a 60 Hz frame.
  first.ceiling = 200e3;
  const std::uint64_t count = split.rowCount().value.lo;
  Row last{QStringLiteral("  the last 50 of its 4,194,304 rows, against the first 50"), Unit::Time};
  last.baselineName = QStringLiteral("the first 50 rows");
  // The k-th row is computed from k: the end of the list costs what its start costs.
  last.ratioCeiling = 1.5;
  last.result = microPair([&] { doNotOptimize(drawRows(split, count - 50, 50)); },
                          [&] { doNotOptimize(drawRows(split, 0, 50)); }, repetitions);
  first.result = {*last.result.baseline, std::nullopt, repetitions};
  rows.push_back(first);
  rows.push_back(last);
}

// Every row as one line of tab-separated cells, written to /dev/null in blocks: what saving the list costs.
double writeWholeList(const EqualSplit& split) {
  const int sink = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
  std::string buffer;
  buffer.reserve(1 << 20);
  const Clock::time_point begin = Clock::now();
  const std::uint64_t count = split.rowCount().value.lo;
  for (std::uint64_t k = 0; k < count; ++k) {
    const std::vector<std::string> cells = RowCells(split.rowAt(U128(k)));
    for (std::size_t c = 0; c < cells.size(); ++c) {
      if (c) buffer += '\t';
      buffer += cells[c];
    }
    buffer += '\n';
    if (buffer.size() >= (1u << 20) - 256) {
      doNotOptimize(::write(sink, buffer.data(), buffer.size()));
      buffer.clear();
    }
  }
  doNotOptimize(::write(sink, buffer.data(), buffer.size()));
  const double elapsed = nanosecondsSince(begin);
  ::close(sink);
  return elapsed;
}

void wholeListRows(std::vector<Row>& rows, const EqualSplit& split, int processRuns) {
  Row ipcalc{QStringLiteral("planner: 10.0.0.0/8 into /30, all rows as text"), Unit::Time};
  ipcalc.baselineName = QStringLiteral(
      "ipcalc-ng -S 30 10.0.0.0/8 > /dev/null, a process writing the network column only; ours in process, "
      "all seven columns");
  Row python{QStringLiteral("  the same against python3 ipaddress"), Unit::Time};
  python.baselineName = QStringLiteral(
      "python3: ip_network('10.0.0.0/8').subnets(new_prefix=30), each network written, > /dev/null (1 run)");

  std::vector<double> ours, theirs;
  const bool haveIpcalc = onPath("ipcalc-ng");
  for (int r = 0; r < processRuns; ++r) {
    ours.push_back(writeWholeList(split));
    if (!haveIpcalc) continue;
    const ProcessRun run = runProcess({"ipcalc-ng", "-S", "30", "10.0.0.0/8"});
    if (!run.ok) ipcalc.failure = QStringLiteral("ipcalc-ng failed");
    theirs.push_back(run.wall);
  }
  if (!haveIpcalc) ipcalc.failure = QStringLiteral("ipcalc-ng is not installed");
  ipcalc.result = {median(ours), median(theirs), processRuns};

  const ProcessRun run =
      runProcess({"python3", "-c",
                  "import ipaddress, sys\n"
                  "write = sys.stdout.write\n"
                  "for subnet in ipaddress.ip_network('10.0.0.0/8').subnets(new_prefix=30):\n"
                  "    write('%s\\n' % subnet)\n"});
  if (!run.ok) python.failure = QStringLiteral("python3 is missing or failed");
  python.result = {median(ours), run.wall, 1};
  rows.push_back(ipcalc);
  rows.push_back(python);
}

// 100,000 random prefixes, one a line: IPv4 anywhere with prefixes 12 to 32, IPv6 inside 2001:db8::/32
// with prefixes 40 to 128, so that many overlap and touch.
std::string randomPrefixes(int width, std::uint32_t seed) {
  std::mt19937_64 rng(seed);
  std::string text;
  for (int i = 0; i < 100000; ++i) {
    Address address{U128(rng(), rng()) & WidthMask(width), width};
    int prefix;
    if (width == kIpv4Width) {
      prefix = int(12 + rng() % 21);
    } else {
      address.value = (address.value & ~PrefixMask(32)) | U128(0x20010db800000000u, 0);
      prefix = int(40 + rng() % 89);
    }
    AppendAddressText({BlockOf(address, prefix).network, width}, text);
    text += '/';
    text += std::to_string(prefix);
    text += '\n';
  }
  return text;
}

void summaryRow(std::vector<Row>& rows, const QString& folder, int width, int repetitions) {
  const bool v4 = width == kIpv4Width;
  Row row{v4 ? QStringLiteral("planner: summarise 100,000 IPv4 prefixes from text")
             : QStringLiteral("planner: summarise 100,000 IPv6 prefixes from text"),
          Unit::Time};
  row.ceiling = 50e6;
  row.baselineName = QStringLiteral(
      "python3: ip_network of each line, then collapse_addresses, a process (one run: it takes seconds)");
  const std::string text = randomPrefixes(width, v4 ? 4 : 6);
  const QString input = folder + (v4 ? QStringLiteral("/prefixes4.txt") : QStringLiteral("/prefixes6.txt"));
  const QString output = folder + QStringLiteral("/collapsed.txt");
  QFile file(input);
  if (!file.open(QIODevice::WriteOnly) ||
      file.write(text.data(), qint64(text.size())) != qint64(text.size())) {
    row.failure = QStringLiteral("cannot write the prefix list");
    rows.push_back(row);
    return;
  }
  file.close();

  std::size_t blocks = 0;
  std::vector<double> ours, cpu;
  for (int r = 0; r < repetitions; ++r) {
    const double cpuBegin = threadCpuNanoseconds();
    const Clock::time_point begin = Clock::now();
    const Outcome<Summary> summary = Summarise(text);
    ours.push_back(nanosecondsSince(begin));
    cpu.push_back(threadCpuNanoseconds() - cpuBegin);
    if (!summary) {
      row.failure = QStringLiteral("the list did not read");
      break;
    }
    blocks = summary->blocks.size();
  }
  const ProcessRun run =
      runProcess({"python3", "-c",
                  "import ipaddress, sys\n"
                  "nets = [ipaddress.ip_network(line) for line in sys.stdin.read().split()]\n"
                  "print(len(list(ipaddress.collapse_addresses(nets))))\n"},
                 input.toStdString(), output.toStdString());
  QFile answer(output);
  if (!run.ok || !answer.open(QIODevice::ReadOnly))
    row.failure = QStringLiteral("python3 is missing or failed");
  else if (answer.readAll().trimmed().toULongLong() != blocks)  // else the two did different work
    row.failure = QStringLiteral("Python found other blocks");
  row.result = {median(ours), run.wall, repetitions};
  rows.push_back(row);
  // netmask reads the list from a file (-f) and writes one CIDR block a line; three runs.
  Row netmask{QStringLiteral("  the same against netmask"), Unit::Time};
  netmask.baselineName =
      QStringLiteral("netmask -n -c -f FILE > FILE, a process reading the same list (3 runs)");
  std::vector<double> theirs;
  for (int r = 0; r < 3 && netmask.failure.isEmpty(); ++r) {
    const ProcessRun peer =
        runProcess({"netmask", "-n", "-c", "-f", input.toStdString()}, {}, output.toStdString());
    QFile lines(output);
    if (!peer.ok || !lines.open(QIODevice::ReadOnly))
      netmask.failure = QStringLiteral("netmask is missing or failed");
    else if (std::size_t(lines.readAll().trimmed().count('\n') + 1) != blocks)
      netmask.failure = QStringLiteral("netmask found other blocks");
    theirs.push_back(peer.wall);
  }
  netmask.result = {median(ours), theirs.empty() ? std::nullopt : std::optional<double>(median(theirs)),
                    repetitions};
  rows.push_back(netmask);
  // Not a goal: the same without the waits for a CPU, which a busy machine adds to the wall time.
  Row cpuRow(QStringLiteral("  the same, CPU time of the thread"));
  cpuRow.failure = row.failure;
  cpuRow.result = {median(cpu), std::nullopt, repetitions};
  rows.push_back(cpuRow);
}

void sizingRow(std::vector<Row>& rows, int repetitions) {
  Row row{QStringLiteral("planner: size 1,000 requirements from text in 10.0.0.0/8"), Unit::Time};
  row.ceiling = 5e6;
  std::mt19937 rng(1000);
  std::string text;
  for (int i = 0; i < 1000; ++i)
    text += "site " + std::to_string(i) + " " + std::to_string(1 + rng() % 2000) + "\n";
  const Block network = *ReadNetwork("10.0.0.0/8");
  bool fitted = true;
  row.result = microSingle(
      [&] {
        const Outcome<std::vector<Requirement>> requirements = ReadRequirements(text);
        const Outcome<SizingPlan> plan = SizingPlan::Make(network, *requirements, false);
        fitted = fitted && plan.ok();
        doNotOptimize(plan.ok() ? plan->freeBlocks().size() : 0);
      },
      repetitions);
  if (!fitted) row.failure = QStringLiteral("the requirements did not fit");
  rows.push_back(row);
}

}  // namespace

void plannerRows(std::vector<Row>& rows, int repetitions) {
  const Outcome<EqualSplit> split = EqualSplit::ByPrefix(*ReadNetwork("10.0.0.0/8"), 30);
  gridRows(rows, *split, repetitions);
  sizingRow(rows, repetitions);
  // Python takes seconds to summarise and half a minute to list: one run of each; ipcalc-ng three.
  QTemporaryDir folder;
  summaryRow(rows, folder.path(), kIpv4Width, repetitions);
  summaryRow(rows, folder.path(), kIpv6Width, repetitions);
  wholeListRows(rows, *split, 3);
}

}  // namespace quorvane::bench
