// The result table of the benchmarks.
#include "bench/harness.h"

#include <QFile>
#include <QtGlobal>
#include <cstdio>
#include <thread>

namespace quorvane::bench {

namespace {

QString number(double value) {
  // Three significant digits read best in a table of medians.
  return value >= 100  ? QString::number(value, 'f', 0)
         : value >= 10 ? QString::number(value, 'f', 1)
                       : QString::number(value, 'f', 2);
}

// Pads to a width in characters (the table holds "µ" and "×", which are one character but two bytes).
QString padded(const QString& text, qsizetype width) {
  return text + QString(std::max<qsizetype>(0, width - text.size()), u' ');
}

QString cpuModel() {
  QFile file(QStringLiteral("/proc/cpuinfo"));
  if (!file.open(QIODevice::ReadOnly)) return QStringLiteral("unknown");
  for (const QByteArray& line : file.readAll().split('\n')) {
    if (line.startsWith("model name")) return QString::fromUtf8(line.mid(line.indexOf(':') + 1).trimmed());
  }
  return QStringLiteral("unknown");
}
}  // namespace

QString loadAverage() {
  QFile file(QStringLiteral("/proc/loadavg"));
  if (!file.open(QIODevice::ReadOnly)) return QStringLiteral("unknown");
  return QString::fromLatin1(file.readAll()).section(u' ', 0, 2);
}

void printMachine() {
  std::printf("Machine:  %s, %u cores\n", cpuModel().toUtf8().constData(),
              std::thread::hardware_concurrency());
  std::printf("Qt:       %s (built against %s)\n", qVersion(), QT_VERSION_STR);
  std::printf("Compiler: %s, %s\n", QUORVANE_BENCH_COMPILER, QUORVANE_BENCH_FLAGS);
  std::printf("Platform: offscreen\n");
  std::printf("Load:     %s (1, 5, 15 min) before the run\n\n", loadAverage().toUtf8().constData());
}

QString formatValue(double value, Unit unit) {
  if (unit == Unit::Memory) return number(value / 1024) + QStringLiteral(" MiB");
  if (value < 1e3) return number(value) + QStringLiteral(" ns");
  if (value < 1e6) return number(value / 1e3) + QStringLiteral(" \u00B5s");
  if (value < 1e9) return number(value / 1e6) + QStringLiteral(" ms");
  return number(value / 1e9) + QStringLiteral(" s");
}

QString goalText(const Row& row) {
  if (row.ratioCeiling) return QStringLiteral("\u2264 %1\u00D7 baseline").arg(*row.ratioCeiling);
  if (row.excessCeiling)
    return QStringLiteral("\u2264 baseline + ") + formatValue(*row.excessCeiling, row.unit);
  if (row.ceiling) return QStringLiteral("< ") + formatValue(*row.ceiling, row.unit);
  return QString();
}

std::optional<bool> goalMet(const Row& row) {
  if (!row.failure.isEmpty()) return std::nullopt;
  if (row.ratioCeiling) {
    if (!row.result.baseline || *row.result.baseline <= 0) return std::nullopt;
    return row.result.subject / *row.result.baseline <= *row.ratioCeiling;
  }
  if (row.excessCeiling) {
    if (!row.result.baseline) return std::nullopt;
    return row.result.subject - *row.result.baseline <= *row.excessCeiling;
  }
  if (row.ceiling) return row.result.subject < *row.ceiling;
  return std::nullopt;
}

void printTable(const std::vector<Row>& rows) {
  const QStringList header{QStringLiteral("benchmark"), QStringLiteral("median"), QStringLiteral("baseline"),
                           QStringLiteral("ratio"),     QStringLiteral("goal"),   QStringLiteral("met")};
  std::vector<QStringList> lines{header};
  for (const Row& row : rows) {
    QStringList cells{row.name};
    if (!row.failure.isEmpty()) {
      cells << QStringLiteral("failed: ") + row.failure << QString() << QString() << goalText(row)
            << QString();
    } else {
      const std::optional<double> baseline = row.result.baseline;
      cells << formatValue(row.result.subject, row.unit)
            << (baseline ? formatValue(*baseline, row.unit) : QStringLiteral("-"))
            << (baseline && *baseline > 0
                    ? QString::number(row.result.subject / *baseline, 'f', 2) + QStringLiteral("\u00D7")
                    : QStringLiteral("-"))
            << goalText(row);
      const std::optional<bool> met = goalMet(row);
      cells << (met ? (*met ? QStringLiteral("yes") : QStringLiteral("NO")) : QStringLiteral("-"));
    }
    lines.push_back(cells);
  }
  std::vector<qsizetype> widths(header.size(), 0);
  for (const QStringList& line : lines)
    for (qsizetype c = 0; c < line.size(); ++c) widths[c] = std::max(widths[c], line[c].size());

  const auto print = [&](const QStringList& line) {
    QString text;
    for (qsizetype c = 0; c < line.size(); ++c) {
      const bool last = c + 1 == line.size();
      // Numbers are right-aligned, names and goals left-aligned.
      const bool right = c >= 1 && c <= 3;
      QString cell = right ? QString(widths[c] - line[c].size(), u' ') + line[c]
                           : (last ? line[c] : padded(line[c], widths[c]));
      text += cell;
      if (!last) text += QStringLiteral("  ");
    }
    std::printf("%s\n", text.toUtf8().constData());
  };
  print(lines.front());
  qsizetype total = 2 * qsizetype(widths.size() - 1);
  for (const qsizetype w : widths) total += w;
  std::printf("%s\n", QString(total, u'-').toUtf8().constData());
  for (size_t i = 1; i < lines.size(); ++i) print(lines[i]);

  std::printf("\n");
  for (const Row& row : rows) {
    if (!row.failure.isEmpty()) continue;
    QString note = QStringLiteral("median of %1 runs").arg(row.result.runs);
    if (!row.baselineName.isEmpty())
      note += QStringLiteral(", alternating with the baseline: ") + row.baselineName;
    std::printf("  %s: %s\n", row.name.trimmed().toUtf8().constData(), note.toUtf8().constData());
  }
}

}  // namespace quorvane::bench
