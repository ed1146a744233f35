// The benchmarks' measuring tools: a monotonic clock, medians of repeated runs, and the one result table.
#pragma once

#include <QString>
#include <QStringList>
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

namespace quorvane::bench {

using Clock = std::chrono::steady_clock;

inline double nanosecondsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::nano>(Clock::now() - start).count();
}

// Keeps the compiler from dropping a computation whose result nothing reads.
template <typename T>
inline void doNotOptimize(const T& value) {
  asm volatile("" : : "r,m"(value) : "memory");
}

// The middle value; for an even count the mean of the two middle ones.
inline double median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  const size_t middle = values.size() / 2;
  return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

// Nanoseconds per call of `f`, timed over a batch of `calls` calls.
template <typename F>
double perCall(F& f, std::int64_t calls) {
  const Clock::time_point start = Clock::now();
  for (std::int64_t i = 0; i < calls; ++i) f();
  return nanosecondsSince(start) / double(calls);
}

// The number of calls of `f` that takes about `target` nanoseconds, so that one batch is long enough for the
// clock and short enough to repeat many times.
template <typename F>
std::int64_t callsPerBatch(F& f, double target) {
  std::int64_t calls = 1;
  for (;;) {
    const double each = perCall(f, calls);
    if (each * double(calls) >= target / 4 || calls >= (std::int64_t(1) << 30))
      return std::max<std::int64_t>(1, std::int64_t(target / std::max(each, 0.1)));
    calls *= 4;
  }
}

// The medians of a subject and of its baseline, measured in alternation so that a drift of the machine
// (frequency, caches, other load) falls on both alike.
struct Pair {
  double subject = 0;
  std::optional<double> baseline;
  int runs = 0;
};

// Short batches, many of them: on a busy machine most batches then run without being preempted, and the
// median is one of those.
inline constexpr double kBatch = 0.25e6;

// Per-call medians of two tight loops: `repetitions` batches of each, alternating.
template <typename F, typename G>
Pair microPair(F&& subject, G&& baseline, int repetitions, double batchNanoseconds = kBatch) {
  const std::int64_t subjectCalls = callsPerBatch(subject, batchNanoseconds);
  const std::int64_t baselineCalls = callsPerBatch(baseline, batchNanoseconds);
  std::vector<double> s, b;
  for (int r = 0; r < repetitions; ++r) {
    s.push_back(perCall(subject, subjectCalls));
    b.push_back(perCall(baseline, baselineCalls));
  }
  return {median(s), median(b), repetitions};
}

template <typename F>
Pair microSingle(F&& subject, int repetitions, double batchNanoseconds = kBatch) {
  const std::int64_t calls = callsPerBatch(subject, batchNanoseconds);
  std::vector<double> s;
  for (int r = 0; r < repetitions; ++r) s.push_back(perCall(subject, calls));
  return {median(s), std::nullopt, repetitions};
}

enum class Unit { Time, Memory };

// One line of the table. A goal is either a ceiling for the value or a ceiling for its ratio to the baseline.
struct Row {
  Row() = default;
  explicit Row(QString title, Unit kind = Unit::Time) : name(std::move(title)), unit(kind) {}

  QString name;
  Unit unit = Unit::Time;
  Pair result;
  QString baselineName;                 // what the baseline is, for the notes under the table
  std::optional<double> ceiling;        // value must stay below (time rows)
  std::optional<double> ratioCeiling;   // value / baseline must stay at or below
  std::optional<double> excessCeiling;  // value - baseline must stay at or below
  QString failure;                      // set when the row could not be measured
};

// "12.3 µs", "1.85 ms", "143 ns"; memory in MiB from kibibytes.
QString formatValue(double value, Unit unit);
QString goalText(const Row& row);
std::optional<bool> goalMet(const Row& row);

// Prints the machine, Qt, the compiler and the load before a run.
void printMachine();
// The 1, 5 and 15 minute load averages: other work on the machine lengthens every wall time measured here.
QString loadAverage();

// Prints the rows as one aligned table, with the notes (baselines, runs) below it.
void printTable(const std::vector<Row>& rows);

}  // namespace quorvane::bench
