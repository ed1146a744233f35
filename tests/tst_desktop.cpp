// The program on a desktop: an X server of the test's own with a window manager. The icon that task bars read
// from every window, the access keys of every menu and dialog in every shipped language as keys from the
// keyboard reach them, the end of a later start's launch feedback, and one instance per display.
#include <QAbstractButton>
#include <QApplication>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QMap>
#include <QMenu>
#include <QMenuBar>
#include <QProcess>
#include <QPushButton>
#include <QtTest>
#include <cstdio>
#include <memory>
#include <vector>

#include "main/programicon.h"
#include "tests/childprocesses.h"
#include "tests/fixture.h"
#include "tests/xsession.h"

using namespace quorvane;

namespace {

// Key symbols, as the keyboard map names them.
constexpr quint32 kAlt = 0xffe9, kF10 = 0xffc7, kEscape = 0xff1b, kKeyA = 0x61, kKeyH = 0x68;

// The images of a _NET_WM_ICON value by their size: width, height, then that many ARGB pixels, repeated.
QMap<int, QList<quint32>> iconsOf(const QList<quint32>& value) {
  QMap<int, QList<quint32>> icons;
  for (qsizetype at = 0; at + 2 <= value.size();) {
    const qsizetype width = value[at], height = value[at + 1];
    if (width != height || at + 2 + width * height > value.size()) return {{-1, {}}};  // malformed
    icons.insert(int(width), value.mid(at + 2, width * height));
    at += 2 + width * height;
  }
  return icons;
}

// The packaged icon of that size, as _NET_WM_ICON carries an image: ARGB, not premultiplied, row by row. A
// window's icon passes through Qt's premultiplied pixmaps, which round the colour of translucent pixels.
QList<quint32> packagedIcon(int size) {
  const QImage image = QImage(QStringLiteral(QUORVANE_SOURCE_DIR
                                             "/packaging/icons/hicolor/%1x%1/apps/org.quorvane.Quorvane.png")
                                  .arg(size))
                           .convertToFormat(QImage::Format_ARGB32_Premultiplied)
                           .convertToFormat(QImage::Format_ARGB32);
  QList<quint32> pixels;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) pixels << quint32(image.pixel(x, y));
  return pixels;
}

// The access key a caption gives ("Alt+A" for "&Action"); empty without one.
QString accessKey(const QString& caption) { return QKeySequence::mnemonic(caption).toString(); }

// Adds a fault for each visible item of a menu without an access key, or with one an earlier item took.
void checkMenuKeys(const QString& where, const QList<QAction*>& items, QStringList& faults) {
  QStringList keys;
  for (const QAction* item : items) {
    if (item->isSeparator() || !item->isVisible()) continue;
    const QString key = accessKey(item->text());
    if (key.isEmpty())
      faults << where + QStringLiteral(": \"") + item->text() + QStringLiteral("\" has no access key");
    else if (keys.contains(key))
      faults << where + QStringLiteral(": ") + key + QStringLiteral(" twice");
    keys << key;
  }
}

void checkMenuTree(QMenu* menu, QStringList& faults) {
  checkMenuKeys(menu->objectName(), menu->actions(), faults);
  for (const QAction* item : menu->actions())
    if (item->menu()) checkMenuTree(item->menu(), faults);
}

// In a dialog every push button has an access key, and no two controls share one.
void checkDialogKeys(QWidget* dialog, QStringList& faults) {
  const QString where = dialog->metaObject()->className();
  QStringList keys;
  const auto take = [&](const QString& caption, bool required) {
    const QString key = accessKey(caption);
    if (key.isEmpty() && required)
      faults << where + QStringLiteral(": \"") + caption + QStringLiteral("\" has no access key");
    if (key.isEmpty()) return;
    if (keys.contains(key)) faults << where + QStringLiteral(": ") + key + QStringLiteral(" twice");
    keys << key;
  };
  for (const QAbstractButton* button : dialog->findChildren<QAbstractButton*>())
    if (button->isVisible()) take(button->text(), qobject_cast<const QPushButton*>(button) != nullptr);
  for (const QLabel* label : dialog->findChildren<QLabel*>())
    if (label->isVisible() && label->buddy()) take(label->text(), false);
  for (const QGroupBox* group : dialog->findChildren<QGroupBox*>())
    if (group->isVisible()) take(group->title(), false);
}

// Closes a dialog without choosing anything; the about box, which Escape leaves open, by its OK.
void closeModal(QWidget* modal) {
  auto* dialog = qobject_cast<QDialog*>(modal);
  if (!dialog) {
    modal->close();
    return;
  }
  dialog->reject();
  if (dialog->isVisible()) dialog->accept();
}

}  // namespace

class tst_Desktop : public test::GuiFixture {
  Q_OBJECT

 public:
  explicit tst_Desktop(test::XSession& session) : m_x(session) {}

 private Q_SLOTS:
  void init();
  void cleanup();

  void programWindowCarriesPackagedIcon();
  void everyWindowCarriesIcon();
  void accessKeysInEveryMenuAndDialog_data();
  void accessKeysInEveryMenuAndDialog();
  void designedCaptionsKeepNoAccessKeys();
  void keysOpenMenus_data();
  void keysOpenMenus();
  void laterStartEndsLaunchFeedback();
  void oneInstancePerDisplay();

 private:
  // The real program on a display, with this test's runtime folder; cleanup() kills what still runs.
  QProcess* startProgram(test::XSession& session, const QStringList& arguments,
                         const QList<std::pair<QString, QString>>& variables = {});
  // The managed window of a program on that display, once it has one; 0 when none came.
  static xcb_window_t windowOfProgram(test::XSession& session, const QProcess* program);
  // The open windows' icon, once the window carries one.
  QList<quint32> iconOf(xcb_window_t window);
  void openEveryDialog();

  test::XSession& m_x;
  std::unique_ptr<QTemporaryDir> m_runtime;
  std::vector<std::unique_ptr<QProcess>> m_programs;
};

void tst_Desktop::init() {
  QVERIFY(setUpFixture());
  m_runtime = test::privateRuntimeFolder();
  QVERIFY(m_runtime);
}

void tst_Desktop::cleanup() {
  for (const auto& program : m_programs) {
    program->kill();
    program->waitForFinished(3000);
  }
  m_programs.clear();
  m_runtime.reset();
  tearDownFixture();
}

QProcess* tst_Desktop::startProgram(test::XSession& session, const QStringList& arguments,
                                    const QList<std::pair<QString, QString>>& variables) {
  auto& program = m_programs.emplace_back(std::make_unique<QProcess>());
  QProcessEnvironment env = session.environment(m_runtime->path());
  for (const auto& [name, value] : variables) env.insert(name, value);
  program->setProcessEnvironment(env);
  program->start(qEnvironmentVariable("QUORVANE_PROGRAM"), arguments);
  return program.get();
}

xcb_window_t tst_Desktop::windowOfProgram(test::XSession& session, const QProcess* program) {
  xcb_window_t window = 0;
  test::XSession::waitFor([&] { return (window = session.windowOf(program->processId())) != 0; });
  return window;
}

QList<quint32> tst_Desktop::iconOf(xcb_window_t window) {
  QList<quint32> icon;
  test::XSession::waitFor([&] { return !(icon = m_x.property32(window, "_NET_WM_ICON")).isEmpty(); },
                          std::chrono::seconds(5));
  return icon;
}

// Task bars and window switchers read the icon from the window itself: the packaged one, in every size the
// program carries, with no installed file to look up.
void tst_Desktop::programWindowCarriesPackagedIcon() {
  const QProcess* program = startProgram(m_x, {});
  const xcb_window_t window = windowOfProgram(m_x, program);
  QVERIFY2(window, "the program's window never appeared");
  const QMap<int, QList<quint32>> icons = iconsOf(iconOf(window));
  QCOMPARE(icons.keys(), kProgramIconSizes);
  for (const int size : kProgramIconSizes)
    QVERIFY2(icons[size] == packagedIcon(size), qPrintable(QString::number(size)));
}

void tst_Desktop::openEveryDialog() {
  for (const char* command :
       {"actShowInfo", "actShowDiap", "actMyParameters", "actAbout", "actAddressDetails"})
    m_form->command(command)->trigger();
  // The message box, with an address that Calculate cannot read.
  setInputs(QStringLiteral("10.1.2.300"), QStringLiteral("/24"));
  m_form->command("actCalculate")->trigger();
}

// The dialogs and the message box carry the icon too (they are windows of their own on the desktop).
void tst_Desktop::everyWindowCarriesIcon() {
  m_adapters.report = test::threeAddresses();  // the address choice opens
  QVERIFY(startWindow());
  const QList<quint32> icon = iconOf(xcb_window_t(m_form->winId()));
  QCOMPARE(iconsOf(icon).value(32), packagedIcon(32));
  QStringList without;
  m_boxes->setHandler([&](QWidget* modal) {
    if (iconOf(xcb_window_t(modal->winId())) != icon) without << test::describe(modal);
    closeModal(modal);
  });
  openEveryDialog();
  QCOMPARE(m_boxes->take().size(), 6);
  QVERIFY2(without.isEmpty(), qPrintable(without.join(QStringLiteral(", "))));
}

void tst_Desktop::accessKeysInEveryMenuAndDialog_data() {
  QTest::addColumn<QString>("language");
  QTest::addColumn<QStringList>("menuBarKeys");
  QTest::newRow("English") << "english.lng" << QStringList{"Alt+A", "Alt+T", "Alt+H"};
  QTest::newRow("German") << "german.lng" << QStringList{"Alt+A", "Alt+X", "Alt+H"};
  QTest::newRow("Russian") << "russian.lng" << QStringList{"Alt+Д", "Alt+Е", "Alt+С"};
}

// Every menu, menu item and dialog button of a shipped language has an access key, unique where it is.
void tst_Desktop::accessKeysInEveryMenuAndDialog() {
  QFETCH(QString, language);
  QFETCH(QStringList, menuBarKeys);
  QVERIFY(copyShippedLanguages());
  QVERIFY(writeDefaults("DefaultLang=" + language.toUtf8() + "\r\n"));
  m_adapters.report = test::threeAddresses();
  QVERIFY(startWindow());

  QStringList faults;
  const QList<QAction*> menus = m_form->menuBar()->actions();
  checkMenuKeys(QStringLiteral("menu bar"), menus, faults);
  QStringList keys;
  for (const QAction* menu : menus) {
    keys << accessKey(menu->text());
    checkMenuTree(menu->menu(), faults);
  }
  QCOMPARE(keys, menuBarKeys);
  m_boxes->setHandler([&](QWidget* modal) {
    checkDialogKeys(modal, faults);
    closeModal(modal);
  });
  openEveryDialog();
  const QList<test::AnsweredBox> answered = m_boxes->take();
  QCOMPARE(answered.size(), 6);
  // The message box's button is Qt's own: Enter and Escape answer it, and its text is in no language file.
  faults.removeIf([](const QString& fault) { return fault.startsWith(QLatin1String("QMessageBox:")); });
  QVERIFY2(faults.isEmpty(), qPrintable(faults.join(QLatin1Char('\n'))));
}

// Without a language file the menus keep the designed captions as they are.
void tst_Desktop::designedCaptionsKeepNoAccessKeys() {
  QVERIFY(startWindow());
  QStringList captions;
  for (const QAction* menu : m_form->menuBar()->actions()) {
    captions << menu->text();
    for (const QAction* item : menu->menu()->actions())
      if (!item->isSeparator()) captions << item->text();
  }
  QCOMPARE(captions, (QStringList{"Action", "Calculate", "Clear all", "Copy results", "My parameters",
                                  "Reserved addresses", "Address details", "Masks", "Select language", "Exit",
                                  "Tools", "IPv6 calculator", "Subnet planner", "Help", "What\u2019s new?",
                                  "Visit Homepage", "E-mail to author", "About..."}));
}

void tst_Desktop::keysOpenMenus_data() {
  QTest::addColumn<QString>("language");
  QTest::addColumn<QList<quint32>>("keys");
  QTest::addColumn<QString>("menu");
  QTest::newRow("English Alt+A") << "english.lng" << QList<quint32>{kAlt, kKeyA} << "mnAction";
  QTest::newRow("English Alt+H") << "english.lng" << QList<quint32>{kAlt, kKeyH} << "mnHelp";
  QTest::newRow("German Alt+A") << "german.lng" << QList<quint32>{kAlt, kKeyA} << "mnAction";
  QTest::newRow("German Alt+H") << "german.lng" << QList<quint32>{kAlt, kKeyH} << "mnHelp";
  QTest::newRow("English F10") << "english.lng" << QList<quint32>{kF10} << "mnAction";
  QTest::newRow("Russian F10") << "russian.lng" << QList<quint32>{kF10} << "mnAction";
  QTest::newRow("no language file, F10") << "" << QList<quint32>{kF10} << "mnAction";
}

// Keys from the keyboard, through the X server and the window manager, open the menus.
void tst_Desktop::keysOpenMenus() {
  QFETCH(QString, language);
  QFETCH(QList<quint32>, keys);
  QFETCH(QString, menu);
  if (!language.isEmpty()) {
    QVERIFY(copyShippedLanguages());
    QVERIFY(writeDefaults("DefaultLang=" + language.toUtf8() + "\r\n"));
  }
  QVERIFY(startWindow());
  QVERIFY(test::XSession::waitFor([&] { return m_x.activeWindow() == xcb_window_t(m_form->winId()); }));
  QVERIFY(m_x.pressKeys(keys));
  QVERIFY2(test::XSession::waitFor([&] {
             const QWidget* popup = QApplication::activePopupWidget();
             return popup && popup->objectName() == menu;
           }),
           "the menu did not open");
  QVERIFY(m_x.pressKeys({kEscape}));
  QVERIFY(test::XSession::waitFor([] { return !QApplication::activePopupWidget(); }));
}

// A later start hands off and ends at once, having shown nothing; the running window comes to the front
// and ends the later start's startup notification (its "new:" from the launcher is followed by "remove:"),
// so no busy cursor or task-bar spinner lingers.
void tst_Desktop::laterStartEndsLaunchFeedback() {
  const QProcess* first = startProgram(m_x, {});
  const xcb_window_t window = windowOfProgram(m_x, first);
  QVERIFY2(window, "the program's window never appeared");
  // The user has gone on in another program since.
  const xcb_window_t other = m_x.openWindow();
  QVERIFY(test::XSession::waitFor([&] { return m_x.activeWindow() == other; }));

  // What a launcher does: a startup id with the time of the user's click, announced with "new:".
  const quint32 time = m_x.serverTime();
  QVERIFY(time);
  const QByteArray id = "tst_desktop-" + QByteArray::number(QCoreApplication::applicationPid()) + "_TIME" +
                        QByteArray::number(time);
  const QByteArray announced = "new: ID=" + id + " NAME=Quorvane BIN=quorvane SCREEN=0";
  m_x.sendStartupMessage(announced);
  QProcess* later = startProgram(m_x, {QStringLiteral("10.1.2.3/24")},
                                 {{QStringLiteral("DESKTOP_STARTUP_ID"), QString::fromLatin1(id)}});
  QVERIFY(later->waitForFinished(10000));
  QCOMPARE(later->exitCode(), 0);

  const QByteArray removed = "remove: ID=" + id;
  QList<QByteArray> messages;
  QVERIFY2(test::XSession::waitFor([&] { return (messages = m_x.startupMessages()).contains(removed); }),
           messages.join('\n').constData());
  QVERIFY(messages.indexOf(announced) < messages.indexOf(removed));
  QCOMPARE(m_x.property(window, "_NET_STARTUP_ID"), id);
  QVERIFY2(test::XSession::waitFor([&] { return m_x.activeWindow() == window; }),
           "the running window did not come to the front");
  xcb_destroy_window(m_x.connection(), other);
  xcb_flush(m_x.connection());
}

// A start on another display opens a window there instead of raising the one on this display; later starts
// on this display find the instance here however DISPLAY is written (":N", ":N.0", "unix:N").
void tst_Desktop::oneInstancePerDisplay() {
  test::XSession otherDisplay;
  QString error;
  QVERIFY2(otherDisplay.start(&error), qPrintable(error));
  const QProcess* here = startProgram(m_x, {});
  QVERIFY(windowOfProgram(m_x, here));

  const QProcess* there = startProgram(otherDisplay, {});
  QVERIFY2(windowOfProgram(otherDisplay, there), "the start on the other display opened no window there");
  QCOMPARE(there->state(), QProcess::Running);

  for (const QString& written : {QStringLiteral(":%1.0"), QStringLiteral("unix:%1")}) {
    const QString display = written.arg(m_x.displayNumber());
    QProcess* later = startProgram(m_x, {}, {{QStringLiteral("DISPLAY"), display}});
    QVERIFY2(later->waitForFinished(10000), qPrintable(display));
    QCOMPARE(later->exitCode(), 0);
  }
  QCOMPARE(here->state(), QProcess::Running);
  QCOMPARE(there->state(), QProcess::Running);
  QCOMPARE(m_x.clients().size(), 1);
  QCOMPARE(otherDisplay.clients().size(), 1);
}

QUORVANE_X_TEST_MAIN(tst_Desktop)

#include "tst_desktop.moc"
