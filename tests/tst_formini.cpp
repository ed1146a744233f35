// Tests of the settings form: what a start reads from the settings file and what an exit writes back.
#include "settings/formini.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

#include "platform/profile.h"
#include "platform/programfolder.h"
#include "settings/filenotices.h"
#include "settings/settingsvalues.h"
#include "tests/fixture.h"

using namespace quorvane;
using quorvane::test::AnsweredBox;
using quorvane::test::entriesOf;
using quorvane::test::raw;

// The fixture's answerer takes the message box of an exit that reports an error, so that it never blocks the
// test; each test checks what was shown.
class TstFormIni : public test::GuiFixture {
  Q_OBJECT

 private:
  QString iniPath() const { return folder(QStringLiteral("quorvane.ini")); }
  [[nodiscard]] bool writeIni(const QByteArray& bytes) const { return test::writeFile(iniPath(), bytes); }
  QByteArray readIni() const { return test::readFile(iniPath()); }

  QByteArray stored(const char* section, const char* key) const {
    return profile::ReadString(iniPath(), section, key, "<missing>");
  }

  // A start of the program as far as the settings go: construction, and the first show when asked.
  static std::unique_ptr<TFormINI> start(bool show = true) {
    Settings() = SettingsValues{};
    auto form = std::make_unique<TFormINI>();
    if (show) {
      form->show();
      QCoreApplication::processEvents();
    }
    return form;
  }

 private Q_SLOTS:
  void init() { QVERIFY(setUpFixture()); }

  void cleanup() {
    tearDownFixture();
    QVERIFY(QApplication::topLevelWidgets().isEmpty());
  }

  void scramblePasswordIsBytewiseInvolution() {
    const QByteArray abc = ScramblePassword("abc");
    const char expected[] = {char('a' ^ 13), char('b' ^ 14), char('c' ^ 15)};
    QCOMPARE(abc, QByteArray(expected, 3));
    // The key byte wraps at 256: from position 243 on the key starts again at 0.
    const QByteArray zeros(300, '\0');
    const QByteArray key = ScramblePassword(zeros);
    QCOMPARE(key.size(), zeros.size());
    for (qsizetype i = 0; i < key.size(); ++i) QCOMPARE(quint8(key[i]), quint8((i + 13) % 256));
    for (const QByteArray& text : {QByteArray(), abc, key, raw("\xFF\x80-x \0\"")})
      QCOMPARE(ScramblePassword(ScramblePassword(text)), text);
  }

  void firstStartCreatesFile_data() {
    QTest::addColumn<bool>("minimized");
    QTest::addColumn<QByteArray>("expected");
    const QByteArray defaults =
        "[Defaults]\nWhatUser=0\nUserName=\nUserPassword=\nUserDomain=\nDefaultLang=english.lng\n"
        "DefaultTypeConvert=0\n";
    QTest::newRow("exit in normal state writes all nine keys")
        << false << defaults + "[Window Position]\nTop=40\nLeft=30\n[Window State]\nWindowState=0\n";
    QTest::newRow("exit while minimized writes no position")
        << true << defaults + "[Window State]\nWindowState=1\n";
  }

  void firstStartCreatesFile() {
    QFETCH(bool, minimized);
    QFETCH(QByteArray, expected);
    auto form = start();
    QCOMPARE(form->pos(), QPoint(0, 0));
    QCOMPARE(form->windowState(), Qt::WindowNoState);
    QCOMPARE(int(Settings().DefaultTypeConvert), 0);
    QCOMPARE(Settings().DefaultLang, QStringLiteral("english.lng"));
    QCOMPARE(form->settingsPath(), iniPath());
    QVERIFY(!QFile::exists(iniPath()));
    form->move(30, 40);
    if (minimized) form->showMinimized();
    form.reset();
    QCOMPARE(readIni(), expected);
    QCOMPARE(m_boxes->count(), 0);
  }

  void byteValuesKeepLowEightBits_data() {
    QTest::addColumn<QByteArray>("key");
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<int>("expected");
    QTest::newRow("display type 258 is hexadecimal") << raw("DefaultTypeConvert") << raw("258") << 2;
    QTest::newRow("display type 0x102 is hexadecimal") << raw("DefaultTypeConvert") << raw("0x102") << 2;
    QTest::newRow("display type 256 is binary") << raw("DefaultTypeConvert") << raw("256") << 0;
    QTest::newRow("display type 0x alone is no number") << raw("DefaultTypeConvert") << raw("0x") << 0;
    QTest::newRow("user kind 257 is 1") << raw("WhatUser") << raw("257") << 1;
    QTest::newRow("user kind -1 is 255") << raw("WhatUser") << raw("-1") << 255;
  }

  void byteValuesKeepLowEightBits() {
    QFETCH(QByteArray, key);
    QFETCH(QByteArray, value);
    QFETCH(int, expected);
    QVERIFY(writeIni("[Defaults]\n" + key + "=" + value + "\n"));
    auto form = start(false);
    QCOMPARE(int(key == "WhatUser" ? Settings().WhatUser : Settings().DefaultTypeConvert), expected);
    form.reset();
    QCOMPARE(stored("Defaults", key), QByteArray::number(expected));
  }

  void languageNameAsStored_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("expected");
    QTest::newRow("missing key is english")
        << raw("[Defaults]\nWhatUser=0\n") << QStringLiteral("english.lng");
    QTest::newRow("empty value is no name") << raw("[Defaults]\nDefaultLang=\n") << QString();
    QTest::newRow("empty quotes are no name") << raw("[Defaults]\nDefaultLang=\"\"\n") << QString();
    QTest::newRow("key names ignore case")
        << raw("[DEFAULTS]\ndefaultlang=deutsch.lng\n") << QStringLiteral("deutsch.lng");
  }

  void languageNameAsStored() {
    QFETCH(QByteArray, content);
    QFETCH(QString, expected);
    QVERIFY(writeIni(content));
    auto form = start(false);
    QCOMPARE(Settings().DefaultLang, expected);
    form.reset();
    QCOMPARE(stored("Defaults", "DefaultLang"), expected.toLocal8Bit());
  }

  // A language name that is no valid UTF-8 (written by another program, in another encoding) is written
  // back byte for byte, unless another language was chosen in the run.
  void languageNameKeepsItsBytes() {
    QVERIFY(writeIni(raw("[Defaults]\nDefaultLang=d\xE9j\xE0 vu.lng\n")));
    start(false).reset();
    QCOMPARE(stored("Defaults", "DefaultLang"), raw("d\xE9j\xE0 vu.lng"));
    auto form = start(false);
    Settings().DefaultLang = QStringLiteral("d\u00E9j\u00E0.lng");
    form.reset();
    QCOMPARE(stored("Defaults", "DefaultLang"), raw("d\xC3\xA9j\xC3\xA0.lng"));
  }

  void windowStateAndPosition_data() {
    QTest::addColumn<QByteArray>("state");
    QTest::addColumn<int>("shown");
    QTest::addColumn<int>("written");
    QTest::newRow("0 is normal") << raw("0") << int(Qt::WindowNoState) << 0;
    QTest::newRow("1 is minimized") << raw("1") << int(Qt::WindowMinimized) << 1;
    QTest::newRow("2 is maximized") << raw("2") << int(Qt::WindowMaximized) << 2;
    QTest::newRow("0x2 is maximized") << raw("0x2") << int(Qt::WindowMaximized) << 2;
    QTest::newRow("5 is normal") << raw("5") << int(Qt::WindowNoState) << 0;
    QTest::newRow("-1 is normal") << raw("-1") << int(Qt::WindowNoState) << 0;
    QTest::newRow("text is normal") << raw("max") << int(Qt::WindowNoState) << 0;
  }

  // The position is stored in hexadecimal, so an exit that rewrites it shows as decimal lines.
  void windowStateAndPosition() {
    QFETCH(QByteArray, state);
    QFETCH(int, shown);
    QFETCH(int, written);
    QVERIFY(writeIni("[Window Position]\nTop=0x64\nLeft=0X32\n[Window State]\nWindowState=" + state + "\n"));
    for (int cycle = 1; cycle <= 2; ++cycle) {
      auto form = start(false);
      QCOMPARE(form->pos(), QPoint(50, 100));
      form->show();
      QCoreApplication::processEvents();
      QCOMPARE(int(form->windowState()), shown);
      form.reset();
      QCOMPARE(stored("Window State", "WindowState"), QByteArray::number(written));
      const bool normal = written == 0;
      QCOMPARE(stored("Window Position", "Top"), normal ? raw("100") : raw("0x64"));
      QCOMPARE(stored("Window Position", "Left"), normal ? raw("50") : raw("0X32"));
    }
    QCOMPARE(m_boxes->count(), 0);
  }

  void exitWhileMinimizedKeepsEarlierPosition() {
    QVERIFY(writeIni("[Window Position]\nTop=210\nLeft=-20\n"));
    auto form = start();
    form->move(300, 400);
    form->showMinimized();
    form.reset();
    QCOMPARE(stored("Window State", "WindowState"), raw("1"));
    form = start(false);
    QCOMPARE(form->pos(), QPoint(-20, 210));
    form->show();
    QCOMPARE(form->windowState(), Qt::WindowMinimized);
  }

  void passwordSurvivesRestarts_data() {
    QTest::addColumn<QByteArray>("plain");
    QTest::newRow("letters and digits") << raw("s3cret");
    QTest::newRow("leading dash stored as leading blank") << raw("-secret");
    QTest::newRow("last byte stored as trailing blank") << raw("ab/");
    QTest::newRow("stored form enclosed in double quotes") << raw("/x-");
    QTest::newRow("stored form enclosed in single quotes") << raw("*a(");
    QTest::newRow("first byte stored as tab") << raw("\x04x");
    QTest::newRow("quotes and blanks inside") << raw("a \"b' c");
    QTest::newRow("bytes above 127") << raw("\xE9t\xE9\xFF\x80");
    QTest::newRow("empty") << raw("");
  }

  void passwordSurvivesRestarts() {
    QFETCH(QByteArray, plain);
    const QByteArray scrambled = ScramblePassword(plain);
    QVERIFY2(!scrambled.contains('\n') && !scrambled.contains('\r'), "a stored form must fit on one line");
    // One pair of quotes is always stripped on reading, whatever the stored form begins or ends with.
    QVERIFY(writeIni("[Defaults]\nUserPassword=\"" + scrambled + "\"\n"));
    QByteArray firstExit;
    for (int cycle = 1; cycle <= 2; ++cycle) {
      auto form = start(false);
      QCOMPARE(Settings().UserPassword, plain);
      form.reset();
      QCOMPARE(stored("Defaults", "UserPassword"), scrambled);
      if (cycle == 1) firstExit = readIni();
    }
    QCOMPARE(readIni(), firstExit);
  }

  void handWrittenFileKeepsEveryLine() {
    const QByteArray password = ScramblePassword("s3cret");
    const QByteArray original =
        "; Quorvane settings, edited by hand\r\n[Other]\r\nColour=blue\r\n\r\n[defaults]\r\nWhatUser=7\r\n"
        "UserName=alice\r\n; the password is scrambled\r\nUserPassword=" +
        password +
        "\r\nUserDomain=CORP\r\nExtra=kept\r\nDefaultLang=english.lng\r\nDefaultTypeConvert=1\r\n\r\n"
        "[Window Position]\r\nTop=120\r\nLeft=80\r\n[Window State]\r\nWindowState=0\r\n"
        "[Trailer]\r\nNote = spaced value \r\n[\r\n";
    QVERIFY(writeIni(original));
    auto form = start();
    QCOMPARE(int(Settings().WhatUser), 7);
    QCOMPARE(Settings().UserName, raw("alice"));
    QCOMPARE(Settings().UserPassword, raw("s3cret"));
    QCOMPARE(Settings().UserDomain, raw("CORP"));
    QCOMPARE(int(Settings().DefaultTypeConvert), 1);
    QCOMPARE(form->pos(), QPoint(80, 120));
    form.reset();
    QCOMPARE(readIni(), original);

    // Changed values replace their own lines and nothing else.
    form = start();
    Settings().DefaultLang = QStringLiteral("deutsch.lng");
    Settings().DefaultTypeConvert = 2;
    form->move(15, 25);
    form.reset();
    QByteArray expected = original;
    expected.replace("DefaultLang=english.lng", "DefaultLang=deutsch.lng")
        .replace("DefaultTypeConvert=1", "DefaultTypeConvert=2")
        .replace("Top=120", "Top=25")
        .replace("Left=80", "Left=15");
    QCOMPARE(readIni(), expected);
    QCOMPARE(m_boxes->count(), 0);
  }

  void refusedWriteIsReported_data() {
    QTest::addColumn<bool>("folderAtPath");
    QTest::newRow("settings path is a folder") << true;
    QTest::newRow("program folder below a regular file") << false;
  }

  // Root ignores file modes, so the refusals come from the shape of the path, not from permissions.
  void refusedWriteIsReported() {
    QFETCH(bool, folderAtPath);
    if (folderAtPath) {
      QVERIFY(QDir(folder()).mkdir(QStringLiteral("quorvane.ini")));
    } else {
      QVERIFY(test::writeFile(folder(QStringLiteral("plain")), QByteArray()));
      SetProgramLocationForTests(folder(QStringLiteral("plain/sub")));
    }
    const QStringList before = entriesOf(folder());
    auto form = start();
    const QString path = form->settingsPath();
    QCOMPARE(Settings().DefaultLang, QStringLiteral("english.lng"));
    form.reset();
    // The first write fails and the later ones are not attempted: one report, not one per key.
    const QList<AnsweredBox> answered = m_boxes->take();
    QCOMPARE(answered.size(), 1);
    QCOMPARE(answered[0].text, QStringLiteral("An error occurred in the application."));
    QCOMPARE(answered[0].informativeText, QStringLiteral("Unable to write to ") + path);
    QCOMPARE(entriesOf(folder()), before);
    if (folderAtPath) QVERIFY(QDir(path).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));

    // The program goes on: a later exit with a writable folder writes its file.
    SetProgramLocationForTests(folder(QStringLiteral("later")));
    QVERIFY(QDir(folder()).mkdir(QStringLiteral("later")));
    start().reset();
    QCOMPARE(m_boxes->count(), 0);
    QVERIFY(QFile::exists(folder(QStringLiteral("later/quorvane.ini"))));
  }

  // A language file name can hold a line break on this platform; such a value cannot be written.
  void refusedWriteSkipsTheRest() {
    auto form = start();
    Settings().DefaultLang = QStringLiteral("two\nlines.lng");
    form.reset();
    const QList<AnsweredBox> answered = m_boxes->take();
    QCOMPARE(answered.size(), 1);
    QCOMPARE(answered[0].informativeText, QStringLiteral("Unable to write to ") + iniPath());
    QCOMPARE(readIni(), raw("[Defaults]\nWhatUser=0\nUserName=\nUserPassword=\nUserDomain=\n"));
  }

  void garbageFileGivesDefaults_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QByteArray>("userName");
    QByteArray binary(8192, '\0');
    QRandomGenerator random(20240611);
    for (char& byte : binary) byte = char(random.bounded(256));
    QTest::newRow("random bytes") << binary << QByteArray();
    QTest::newRow("zero bytes in values") << raw("[Defaults]\nWhatUser=\x00"
                                                 "3\nUserName=adm\0in\nUserPassword=ab\0cd\n"
                                                 "DefaultTypeConvert=1\0\n[Window Position]\nTop=1\x00"
                                                 "2\n\0\0\0\n")
                                          << raw("adm");
    const QByteArray longDigits(100000, '7');
    QTest::newRow("lines of 100000 bytes")
        << "[Defaults]\nDefaultTypeConvert=" + longDigits + "\n" + QByteArray(100000, 'z') + "\n[" +
               QByteArray(100000, 'W') + "]\n[Window Position]\nTop=" + longDigits + "\nLeft=0x" +
               longDigits + "\n"
        << QByteArray();
    QTest::newRow("values that are no integers")
        << raw("[Defaults]\nWhatUser=1.5\nDefaultTypeConvert=two\n[Window Position]\nTop=12px\nLeft=0x\n"
               "[Window State]\nWindowState=0xZZ\n")
        << QByteArray();
    QTest::newRow("integers out of range")
        << raw("[Defaults]\nDefaultTypeConvert=0x100000002\n[Window Position]\nTop=99999999999\n"
               "Left=-2147483649\n[Window State]\nWindowState=0x1FFFFFFFF\n")
        << QByteArray();
  }

  void garbageFileGivesDefaults() {
    QFETCH(QByteArray, content);
    QFETCH(QByteArray, userName);
    QVERIFY(writeIni(content));
    auto form = start();
    QCOMPARE(int(Settings().WhatUser), 0);
    QCOMPARE(int(Settings().DefaultTypeConvert), 0);
    QCOMPARE(Settings().DefaultLang, QStringLiteral("english.lng"));
    QCOMPARE(Settings().UserName, userName);
    QCOMPARE(form->pos(), QPoint(0, 0));
    QCOMPARE(form->windowState(), Qt::WindowNoState);
    form.reset();
    // Every write was made: the last one in the order is the window state.
    QCOMPARE(m_boxes->count(), 0);
    QCOMPARE(stored("Window State", "WindowState"), raw("0"));
    QCOMPARE(stored("Defaults", "UserName"), userName);
  }

  // A settings file larger than any can be is neither read nor written: the start takes the defaults and
  // says so once, naming the file, and the exit leaves the file exactly as it was.
  void fileOverTheLimitIsLeftAlone() {
    QByteArray bytes = raw("[Defaults]\r\nUserName=kept\r\nDefaultTypeConvert=2\r\n");
    bytes += QByteArray(profile::kMaxFileSize + 1 - bytes.size(), '\n');
    QVERIFY(writeIni(bytes));
    m_adapters.report = test::threeAddresses();  // a start without any message of its own
    QVERIFY(startWindow());
    const QList<AnsweredBox> boxes = m_boxes->take();
    QCOMPARE(boxes.size(), 1);
    QCOMPARE(boxes[0].icon, QMessageBox::Warning);
    QVERIFY2(boxes[0].text.startsWith(iniPath() + QStringLiteral("\r\n")) &&
                 boxes[0].text.contains(QStringLiteral("16 MiB")),
             qPrintable(boxes[0].text));
    QCOMPARE(Settings().UserName, QByteArray());
    QCOMPARE(int(Settings().DefaultTypeConvert), 0);
    m_form.reset();
    QCOMPARE(m_boxes->count(), 0);
    QVERIFY(readIni() == bytes);
    QCOMPARE(entriesOf(folder()), QStringList{QStringLiteral("quorvane.ini")});
  }

  void linkOutOfTheFolderIsNeverWrittenThrough_data() {
    QTest::addColumn<QString>("target");  // where the links end; <outside> is another folder
    QTest::addColumn<QString>("hop");     // a link between quorvane.ini and the target, if any
    QTest::addColumn<bool>("exists");     // whether the target is a file yet
    QTest::addColumn<bool>("outside");
    QTest::newRow("link to a file outside") << "<outside>/settings.ini"
                                            << "" << true << true;
    QTest::newRow("link to a link outside") << "<outside>/settings.ini"
                                            << "<outside>/next.ini" << true << true;
    QTest::newRow("link to a link inside that leads out") << "<outside>/settings.ini"
                                                          << "<folder>/next.ini" << true << true;
    QTest::newRow("link to a file not made yet outside") << "<outside>/new.ini"
                                                         << "" << false << true;
    QTest::newRow("link to a file inside") << "<folder>/kept/settings.ini"
                                           << "" << true << false;
  }

  // A settings file that is a symbolic link out of the program folder is read, and the user is told once at
  // the start; the exit writes nothing through it, nor beside its end. A link that stays inside the folder is
  // written through, as any settings file.
  void linkOutOfTheFolderIsNeverWrittenThrough() {
    QFETCH(QString, target);
    QFETCH(QString, hop);
    QFETCH(bool, exists);
    QFETCH(bool, outside);
    QTemporaryDir elsewhere;
    QVERIFY(elsewhere.isValid());
    for (QString* path : {&target, &hop})
      path->replace("<outside>", elsewhere.path()).replace("<folder>", folder());
    const QByteArray bytes = raw("[Defaults]\r\nUserName=linked\r\nDefaultTypeConvert=2\r\n");
    if (exists) QVERIFY(test::writeFile(target, bytes));
    if (!hop.isEmpty()) QVERIFY(QFile::link(target, hop));
    QVERIFY(QFile::link(hop.isEmpty() ? target : hop, iniPath()));
    const QStringList outsideEntries = entriesOf(elsewhere.path());
    m_adapters.report = test::threeAddresses();  // a start without any message of its own
    QVERIFY(startWindow());
    const QList<AnsweredBox> boxes = m_boxes->take();
    QCOMPARE(boxes.size(), outside ? 1 : 0);
    if (outside) {
      QCOMPARE(boxes[0].icon, QMessageBox::Warning);
      QCOMPARE(boxes[0].text, FileProblemText(FileProblem::LinkOutside, iniPath()));
      QVERIFY2(boxes[0].text.contains("outside the program folder"), qPrintable(boxes[0].text));
    }
    QCOMPARE(Settings().UserName, exists ? QByteArray("linked") : QByteArray());
    m_form.reset();
    QCOMPARE(m_boxes->count(), 0);
    QVERIFY(QFileInfo(iniPath()).isSymLink());
    if (outside) {
      QCOMPARE(entriesOf(elsewhere.path()), outsideEntries);
      if (exists) QCOMPARE(test::readFile(target), bytes);
    } else {
      const QByteArray after = test::readFile(target);
      QVERIFY2(after.startsWith(bytes) && after.contains("WindowState=0"), after.constData());
    }
  }
};

QTEST_MAIN(TstFormIni)
#include "tst_formini.moc"
