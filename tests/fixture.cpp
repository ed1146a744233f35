// Test helper: the fixture of the GUI suites.
#include "tests/fixture.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QToolTip>

#include "platform/programfolder.h"
#include "platform/shell.h"
#include "settings/filenotices.h"
#include "settings/langchanger.h"
#include "settings/settingsvalues.h"
#include "settings/texttable.h"

namespace quorvane::test {

Adapter adapter(const QList<std::pair<QByteArray, QByteArray>>& addresses) {
  Adapter result;
  for (const auto& [address, mask] : addresses) result.addresses << AdapterAddress{address, mask, 0};
  return result;
}

AdapterReport threeAddresses() {
  return QList<Adapter>{{{{"192.168.28.6", "255.255.255.224", 1}, {"10.0.0.5", "255.0.0.0", 2}}},
                        {{{"172.16.1.9", "255.255.0.0", 3}}}};
}

std::unique_ptr<QTemporaryDir> freshProgramFolder() {
  auto folder = std::make_unique<QTemporaryDir>();
  if (!folder->isValid()) return nullptr;
  SetProgramLocationForTests(folder->path());
  Settings() = SettingsValues{};
  TextTable::Reset();
  LangChanger().reset();
  ResetFileProblems();
  return folder;
}

QStringList windowsLeftOpen(const QWidget* keep) {
  QStringList windows;
  for (const QWidget* widget : QApplication::topLevelWidgets()) {
    if (widget == keep) continue;
    if (widget->isVisible())
      windows << describe(widget);
    else if (qobject_cast<const QDialog*>(widget))
      windows << describe(widget) + QStringLiteral(" (closed, not freed)");
  }
  return windows;
}

bool becomesActive(QWidget* window) {
  return QTest::qWaitFor([window] { return QApplication::activeWindow() == window; });
}

bool GuiFixture::setUpFixture() {
  // Left over when an earlier init() failed, which skips cleanup().
  m_form.reset();
  m_boxes = std::make_unique<ModalAnswerer>();
  m_folder = freshProgramFolder();
  if (!m_folder) return false;
  // What the program's entry sets before the window exists.
  SetApplicationTitle(QStringLiteral("Quorvane"));
  m_adapters.report = QList<Adapter>{};
  SetAdapterSourceForTests(&m_adapters);
  m_opened.clear();
  // Records the target and opens nothing, as a desktop without a program for it would.
  SetShellForTests([this](const QUrl& target) { m_opened << target; });
  return true;
}

void GuiFixture::tearDownFixture() {
  QToolTip::hideText();
  // A test's own handler refers to what that test held; whatever opens from here on gets the plain answer.
  if (m_boxes) m_boxes->setHandler({});
  const QStringList leaked = windowsLeftOpen(m_form.get());
  // The exit writes the settings, and reports a failure to write them in a message box.
  m_form.reset();
  QStringList unchecked;
  QStringList stuck;
  if (m_boxes) {
    // A message box by its text; a dialog, which has none, by its class and name.
    for (const AnsweredBox& box : m_boxes->take())
      unchecked << (box.text.isEmpty() ? describe(box.className, box.objectName) : box.text);
    stuck = m_boxes->stuck();
  }
  m_boxes.reset();
  SetShellForTests({});
  SetAdapterSourceForTests(nullptr);
  SetProgramLocationForTests(QString());
  m_folder.reset();
  QVERIFY2(leaked.isEmpty(),
           qPrintable(QStringLiteral("windows left open: ") + leaked.join(QStringLiteral(", "))));
  QVERIFY2(unchecked.isEmpty(), qPrintable(QStringLiteral("modal widgets nobody checked: ") +
                                           unchecked.join(QStringLiteral(", "))));
  QVERIFY2(stuck.isEmpty(),
           qPrintable(QStringLiteral("dialogs that would not close: ") + stuck.join(QStringLiteral(", "))));
}

bool GuiFixture::startWindow(const std::function<void(TQuorvaneForm& form)>& beforeCreate) {
  m_form.reset();
  m_form = std::make_unique<TQuorvaneForm>();
  if (beforeCreate) beforeCreate(*m_form);
  RunGuarded(m_form.get(), [this] { m_form->FormCreate(); });
  m_form->show();
  return QTest::qWaitForWindowActive(m_form.get());
}

QString GuiFixture::folder(const QString& name) const { return QDir(m_folder->path()).filePath(name); }

bool GuiFixture::copyShippedLanguages(const QStringList& names) const {
  const QDir shipped(QStringLiteral(QUORVANE_SHIPPED_LANGUAGES));
  const QStringList files =
      names.isEmpty() ? shipped.entryList({QStringLiteral("*.lng")}, QDir::Files) : names;
  if (files.isEmpty() || !QDir(folder()).mkpath(QStringLiteral("languages"))) return false;
  for (const QString& file : files) {
    if (!QFile::copy(shipped.filePath(file), folder(QStringLiteral("languages/") + file))) {
      qWarning("cannot copy the shipped %s", qPrintable(file));
      return false;
    }
  }
  return true;
}

bool GuiFixture::writeLanguage(const QString& name, const QByteArray& entries) const {
  return writeFile(folder(QStringLiteral("languages/") + name), "[Translations]\r\n" + entries);
}

bool GuiFixture::writeDefaults(const QByteArray& lines) const {
  return writeFile(folder(ProgramBaseName() + QStringLiteral(".ini")), "[Defaults]\r\n" + lines);
}

void GuiFixture::setInputs(const QString& address, const QString& mask) {
  m_form->addressField()->setText(address);
  m_form->maskField()->setText(mask);
  QVERIFY(control<TEdit>(QStringLiteral("edInputMask"))->text().isEmpty());
}

QPalette darkPalette() {
  QPalette dark(QColor(0x3A, 0x3A, 0x3E), QColor(0x2B, 0x2B, 0x2E));
  dark.setColor(QPalette::Base, QColor(0x1E, 0x1E, 0x20));
  for (const QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
    dark.setColor(role, QColor(0xE8, 0xE8, 0xE8));
  return dark;
}

}  // namespace quorvane::test
