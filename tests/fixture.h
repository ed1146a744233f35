// Test helper: the fixture of the GUI suites, from the main window's start to the checks after each test.
#pragma once

#include <QList>
#include <QObject>
#include <QPalette>
#include <QStringList>
#include <QTemporaryDir>
#include <QUrl>
#include <QtTest>
#include <functional>
#include <memory>
#include <optional>
#include <utility>

#include "main/quorvaneform.h"
#include "platform/adapters.h"
#include "tests/modalanswerer.h"
#include "tests/testfiles.h"
#include "widgets/errorguard.h"

namespace quorvane::test {

// What an adapter query gives: the adapters, or nothing when the query failed.
using AdapterReport = std::optional<QList<Adapter>>;

// An adapter source that reports what the test sets; a machine without adapters until then.
class FakeAdapters : public AdapterSource {
 public:
  AdapterReport query() override { return report; }

  AdapterReport report = QList<Adapter>{};
};

// One adapter with these addresses and masks, each of context 0.
Adapter adapter(const QList<std::pair<QByteArray, QByteArray>>& addresses);

// A machine with three addresses: 192.168.28.6/27 and 10.0.0.5/8 on its first adapter, 172.16.1.9/16 on
// its second, of contexts 1, 2 and 3. A start takes the first; the own-addresses dialog offers all three.
AdapterReport threeAddresses();

// Makes an empty temporary folder the program's folder and resets the settings, the text table, the
// translator and the file problems waiting to be told: everything a start reads is as a fresh start finds it.
// nullptr when no folder could be made.
std::unique_ptr<QTemporaryDir> freshProgramFolder();

// The windows a test left behind, by class and object name: visible windows other than `keep`, and
// dialogs closed but not freed (every use of a dialog frees it when it closes).
QStringList windowsLeftOpen(const QWidget* keep = nullptr);

// Waits until the window is the application's active window, where keys reach its own focus.
bool becomesActive(QWidget* window);

// The base of a GUI suite: the main window started as the program starts it, in a program folder of the
// test's own, on fake adapters and with a shell that only records; after each test, the checks that no
// window was left open and no modal widget went unchecked or would not close. The suite's init() calls
// setUpFixture() and its cleanup() ends with tearDownFixture(); its test functions start the window with
// startWindow() and read what the members recorded.
class GuiFixture : public QObject {
  Q_OBJECT

 protected:
  // A fresh program folder; the fake adapters (reporting no adapter) and the recording shell installed;
  // the application title that the program's entry sets; a new answerer for modal widgets. False when no
  // program folder could be made.
  [[nodiscard]] bool setUpFixture();
  // Closes the window (its exit writes the settings) and fails the test when a window was left open, a
  // modal widget was answered that the test never took, or one would not close. Restores the system's
  // adapters, shell and program folder. Call it after the suite's own teardown, as the last step.
  void tearDownFixture();

  // Starts the main window as the program does: constructs it (which reads the settings file), calls
  // `beforeCreate`, runs the start-up sequence guarded against errors, shows the window and waits until it
  // is active. A window of an earlier start is closed first, so that its settings are written before the
  // new one reads them. False when the window never became active.
  [[nodiscard]] bool startWindow(const std::function<void(TQuorvaneForm& form)>& beforeCreate = {});

  // A path inside the program folder; the folder itself for an empty name.
  QString folder(const QString& name = QString()) const;
  // Copies shipped language files into languages/ of the program folder: the named ones, or every one.
  // Copies, never the shipped files in place: choosing a language rewrites its file.
  [[nodiscard]] bool copyShippedLanguages(const QStringList& names = {}) const;
  // A language file of the test's own in languages/ of the program folder, holding these entries.
  [[nodiscard]] bool writeLanguage(const QString& name, const QByteArray& entries) const;
  // The settings file with these lines in its Defaults section; a window reads it when it is constructed.
  [[nodiscard]] bool writeDefaults(const QByteArray& lines) const;

  // A control of the window by its object name; null, with a warning, when there is none of that type.
  template <typename T = QWidget>
  T* control(const QString& name) const {
    T* found = m_form ? m_form->findChild<T*>(name) : nullptr;
    if (!found) qWarning("no control %s", qPrintable(name));
    return found;
  }
  // Writes both inputs. Any change of an input empties the results, so a result filled afterwards shows
  // that a calculation ran since.
  void setInputs(const QString& address, const QString& mask);

  FakeAdapters m_adapters;
  QList<QUrl> m_opened;  // what the shell was asked to open, oldest first
  std::unique_ptr<QTemporaryDir> m_folder;
  std::unique_ptr<ModalAnswerer> m_boxes;
  std::unique_ptr<TQuorvaneForm> m_form;
};

// A dark desktop palette (window #3A3A3E, field #1E1E20, text #E8E8E8), as dark themes set it.
QPalette darkPalette();

}  // namespace quorvane::test

Q_DECLARE_METATYPE(quorvane::test::AdapterReport)

// The main() of a suite that runs under the program's own application class, so that errors escaping an
// event handler meet its dispatch, and at 96 dots per inch, where the window has its designed geometry.
#define QUORVANE_GUI_TEST_MAIN(TestClass)                  \
  int main(int argc, char** argv) {                        \
    quorvane::QuorvaneApplication application(argc, argv); \
    application.setAttribute(Qt::AA_Use96Dpi, true);       \
    TestClass test;                                        \
    QTEST_SET_MAIN_SOURCE_PATH                             \
    return QTest::qExec(&test, argc, argv);                \
  }
