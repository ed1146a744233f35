// The IPv6 window's benchmark rows, against Qt widgets doing the same work without the program.
#include "bench/ipv6window_rows.h"

#include <QGroupBox>
#include <QLineEdit>
#include <QMainWindow>
#include <QSignalBlocker>
#include <QToolButton>
#include <memory>

#include "bench/firstpaint.h"
#include "main/quorvaneform.h"

namespace quorvane::bench {

namespace {

// What the IPv6 window is made of, in plain Qt: two group boxes, two edits, a button and ten read-only edits.
std::unique_ptr<QMainWindow> bareWindow(QWidget* owner) {
  auto window = std::make_unique<QMainWindow>(owner);
  auto* client = new QWidget(window.get());
  window->setCentralWidget(client);
  window->setFixedSize(680, 339);
  auto* request = new QGroupBox(QStringLiteral("Request"), client);
  request->setGeometry(0, 0, 680, 78);
  (new QLineEdit(QStringLiteral("2001:db8::1"), request))->setGeometry(136, 20, 360, 21);
  (new QLineEdit(QStringLiteral("64"), request))->setGeometry(136, 44, 49, 21);
  (new QToolButton(request))->setGeometry(561, 19, 111, 46);
  auto* result = new QGroupBox(QStringLiteral("Result"), client);
  result->setGeometry(0, 78, 680, 261);
  for (int i = 0; i < 10; ++i) {
    auto* field = new QLineEdit(result);
    field->setReadOnly(true);
    field->setGeometry(136, 15 + 24 * i, 536, 21);
  }
  return window;
}

void calculateRow(std::vector<Row>& rows, TfrmIPv6& window, int repetitions) {
  Row row{QStringLiteral("actV6Calculate through the action, 10 fields"), Unit::Time};
  row.baselineName = QStringLiteral("the same 10 changing texts written directly into the fields");
  row.ceiling = 20e3;
  // Two requests whose ten results all differ, so that every run writes every field anew.
  const std::pair<QString, QString> requests[] = {
      {QStringLiteral("2001:db8:abcd:12::1"), QStringLiteral("64")},
      {QStringLiteral("2001:0:4136:e378::2"), QStringLiteral("63")}};
  QAction* calculate = window.command("actV6Calculate");
  std::vector<std::pair<TEdit*, QString>> texts[2];
  for (int i = 0; i < 2; ++i) {
    window.addressField()->setText(requests[i].first);
    window.prefixField()->setText(requests[i].second);
    calculate->trigger();
    for (TEdit* field : window.findChildren<TEdit*>()) texts[i].emplace_back(field, field->text());
  }
  for (std::size_t f = 0; f < texts[0].size(); ++f) {
    if (texts[0].size() != 10 || texts[0][f].second == texts[1][f].second) {
      row.failure = QStringLiteral("the two requests do not write ten different fields");
      rows.push_back(row);
      return;
    }
  }
  int next = 0;
  row.result = microPair(
      [&] {
        const QSignalBlocker blockAddress(window.addressField());
        const QSignalBlocker blockPrefix(window.prefixField());
        window.addressField()->setText(requests[next].first);
        window.prefixField()->setText(requests[next].second);
        next ^= 1;
        calculate->trigger();
      },
      [&] {
        for (auto& [field, text] : texts[next]) field->setText(text);
        next ^= 1;
      },
      repetitions);
  rows.push_back(row);
}

}  // namespace

void ipv6WindowRows(std::vector<Row>& rows, TQuorvaneForm& form, int repetitions, int openings) {
  Row open{QStringLiteral("IPv6 window: first opening until drawn"), Unit::Time};
  open.baselineName =
      QStringLiteral("a bare QMainWindow with the same group boxes and edits, shown until drawn");
  open.ceiling = 20e6;
  // Each opening is a first one: the window made the time before is deleted, so the main window makes it anew
  // (its controls, its language entries, its settings section) as it does once in a run of the program.
  std::vector<double> own, bare;
  bool painted = true;
  for (int r = 0; r < openings && painted; ++r) {
    delete form.ipv6Window();
    Clock::time_point begin = Clock::now();
    form.ShowIPv6(QString());
    painted = FirstFrame(form.ipv6Window()).wait();
    own.push_back(nanosecondsSince(begin));
    form.ipv6Window()->close();

    begin = Clock::now();
    const std::unique_ptr<QMainWindow> plain = bareWindow(&form);
    FirstFrame plainFrame(plain.get());
    plain->show();
    painted = plainFrame.wait() && painted;
    bare.push_back(nanosecondsSince(begin));
  }
  if (!painted) open.failure = QStringLiteral("a window was not drawn within 2 s");
  open.result = {median(own), median(bare), openings};
  rows.push_back(open);

  form.ShowIPv6(QString());
  calculateRow(rows, *form.ipv6Window(), repetitions);
  form.ipv6Window()->close();
}

}  // namespace quorvane::bench
