// The about box, the version texts of the window and the box, and the commands that hand a link to the shell.
// Built twice: with the executable's version information and without any.
#include <QDialog>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include "main/quorvaneform.h"
#include "platform/adapters.h"
#include "platform/programfolder.h"
#include "settings/about.h"
#include "settings/langchanger.h"
#include "settings/settingsvalues.h"
#include "settings/texttable.h"
#include "tests/fixture.h"
#include "widgets/errorguard.h"

using namespace quorvane;
using namespace Qt::StringLiterals;

namespace {

#ifdef QUORVANE_WITH_VERSION
const QString kShortVersion = "Quorvane 1.0.2";
const QString kFullVersion = "Quorvane 1.0.2.30";
#else
const QString kShortVersion;
const QString kFullVersion;
#endif

const QUrl kHome("https://quorvane.org/");
const QUrl kMail("mailto:support@quorvane.org");

// What the user does in the open box.
enum class Close { OkClick, Return, KeypadEnter, CloseBox, Escape };

}  // namespace

Q_DECLARE_METATYPE(Close)

class tst_About : public test::GuiFixture {
  Q_OBJECT

 private Q_SLOTS:
  void init();
  void cleanup();

  void versionTexts_data();
  void versionTexts();
  void closing_data();
  void closing();
  void linkLabels_data();
  void linkLabels();
  void linkCommands_data();
  void linkCommands();
  void whatsNewOpensOnlyInsideTheFolder_data();
  void whatsNewOpensOnlyInsideTheFolder();
  void historyDocumentShipped_data();
  void historyDocumentShipped();
  void textsFit_data();
  void textsFit();

 private:
  void useLanguage(const QString& name, const QByteArray& entries = QByteArray());
  // Opens the box with actAbout and hands it, shown and active, to `inBox`, which must close it.
  void withAboutBox(const std::function<void(TAboutBox* box)>& inBox);
};

void tst_About::init() {
  QVERIFY(setUpFixture());
  m_adapters.report = QList<Adapter>{test::adapter({{"192.168.28.6", "255.255.255.224"}})};
}

void tst_About::cleanup() { tearDownFixture(); }

// The shipped file by its name, or a file of the test's own when entries are given.
void tst_About::useLanguage(const QString& name, const QByteArray& entries) {
  if (entries.isEmpty())
    QVERIFY(copyShippedLanguages({name}));
  else
    QVERIFY(writeLanguage(name, entries));
  // The settings file names it, as the window reads it on construction.
  QVERIFY(writeDefaults("DefaultLang=" + name.toUtf8() + "\r\n"));
}

void tst_About::withAboutBox(const std::function<void(TAboutBox* box)>& inBox) {
  QPointer<QWidget> opened;
  QString shownClass;
  bool wasGlobal = false;
  m_boxes->setHandler([&](QWidget* modal) {
    opened = modal;
    shownClass = QString::fromLatin1(modal->metaObject()->className()) + ' ' + modal->objectName();
    wasGlobal = modal == AboutBox;
    auto* box = qobject_cast<TAboutBox*>(modal);
    // Active as the application sees it, so that keys meet the box's own focus.
    if (!box || !test::becomesActive(box)) return modal->hide();
    inBox(box);
  });
  m_form->command("actAbout")->trigger();
  m_boxes->setHandler({});
  QCOMPARE(m_boxes->take().size(), 1);
  QCOMPARE(shownClass, "quorvane::TAboutBox AboutBox");
  QVERIFY(wasGlobal);
  // Freed after it closed, in every case.
  QVERIFY(opened.isNull());
  QCOMPARE(AboutBox, nullptr);
}

void tst_About::versionTexts_data() {
  QTest::addColumn<QByteArray>("entries");
  QTest::addColumn<QString>("caption");
  QTest::addColumn<QString>("title");  // Label1 of the box
  QTest::addColumn<QString>("site");   // Label4 of the box
  QTest::newRow("shipped English") << QByteArray() << kShortVersion << kFullVersion
                                   << "Official site of the program";
  QTest::newRow("language sets the captions")
      << QByteArray(
             "QuorvaneForm.Caption=Subnets\r\nAboutBox.Label1.Caption=Own title\r\n"
             "AboutBox.Label4.Caption=Home\r\n")
      << "Subnets"
      << "Own title"
      << "Home";
}

void tst_About::versionTexts() {
  QFETCH(QByteArray, entries);
  QFETCH(QString, caption);
  QFETCH(QString, title);
  QFETCH(QString, site);
  useLanguage(entries.isEmpty() ? "english.lng" : "own.lng", entries);
  QVERIFY(startWindow());
  QCOMPARE(m_form->windowTitle(), caption);
  // The application title is the short version text whatever the language says.
  QCOMPARE(ApplicationTitle(), kShortVersion);
  QString shownTitle, shownSite;
  withAboutBox([&](TAboutBox* box) {
    shownTitle = box->findChild<QLabel*>("Label1")->text();
    shownSite = box->findChild<QLabel*>("Label4")->text();
    box->findChild<QPushButton*>("Button1")->click();
  });
  QCOMPARE(shownTitle, title);
  QCOMPARE(shownSite, site);
}

void tst_About::closing_data() {
  QTest::addColumn<Close>("how");
  QTest::addColumn<bool>("closes");
  QTest::addColumn<int>("result");
  QTest::newRow("OK clicked") << Close::OkClick << true << int(QDialog::Accepted);
  QTest::newRow("Return") << Close::Return << true << int(QDialog::Accepted);
  QTest::newRow("keypad Enter") << Close::KeypadEnter << true << int(QDialog::Accepted);
  QTest::newRow("close box") << Close::CloseBox << true << int(QDialog::Rejected);
  QTest::newRow("Esc does nothing") << Close::Escape << false << -1;
}

void tst_About::closing() {
  QFETCH(Close, how);
  QFETCH(bool, closes);
  QFETCH(int, result);
  // No language file: the box as designed.
  QVERIFY(startWindow());
  QString okCaption, focused;
  bool isDefault = false, ownedByWindow = false, openAfter = false;
  int finished = -1;
  withAboutBox([&](TAboutBox* box) {
    auto* ok = box->findChild<QPushButton*>("Button1");
    okCaption = ok->text();
    isDefault = ok->isDefault();
    ownedByWindow = box->parentWidget() == m_form.get();
    connect(box, &QDialog::finished, box, [&](int code) { finished = code; });
    // Keys go where the box has its focus, not wherever the application had it last.
    QWidget* focus = box->focusWidget() ? box->focusWidget() : box;
    focused = focus->objectName();
    switch (how) {
      case Close::OkClick:
        QTest::mouseClick(ok, Qt::LeftButton);
        break;
      case Close::Return:
        QTest::keyClick(focus, Qt::Key_Return);
        break;
      case Close::KeypadEnter:
        QTest::keyClick(focus, Qt::Key_Enter, Qt::KeypadModifier);
        break;
      case Close::CloseBox:
        box->close();
        break;
      case Close::Escape:
        QTest::keyClick(focus, Qt::Key_Escape);
        break;
    }
    QApplication::processEvents();
    openAfter = box->isVisible();
    if (openAfter) ok->click();
  });
  QCOMPARE(okCaption, QStringLiteral(u"\u041E\u041A"));
  QVERIFY(isDefault);
  QVERIFY(ownedByWindow);
  // Enter presses the default button wherever the box has its focus, and opens no link.
  QVERIFY2(openAfter == !closes,
           qPrintable(u"open afterwards: %1, focus on %2"_s.arg(openAfter).arg(focused)));
  if (closes) QCOMPARE(finished, result);
  QVERIFY(m_opened.isEmpty());
}

void tst_About::linkLabels_data() {
  QTest::addColumn<QString>("label");
  QTest::addColumn<QUrl>("target");
  QTest::newRow("home page") << "lHome" << kHome;
  QTest::newRow("mail") << "lMail" << kMail;
}

void tst_About::linkLabels() {
  QFETCH(QString, label);
  QFETCH(QUrl, target);
  useLanguage("english.lng");
  QVERIFY(startWindow());
  bool stillOpen = false;
  withAboutBox([&](TAboutBox* box) {
    QTest::mouseClick(box->findChild<QLabel*>(label), Qt::LeftButton);
    stillOpen = box->isVisible();
    box->findChild<QPushButton*>("Button1")->click();
  });
  QCOMPARE(m_opened, QList<QUrl>{target});
  QVERIFY(stillOpen);
}

void tst_About::linkCommands_data() {
  QTest::addColumn<QString>("command");
  QTest::addColumn<QKeySequence>("key");     // pressed in edAddress instead of triggering, when set
  QTest::addColumn<QByteArray>("entries");   // a language of the test's own; empty: shipped English
  QTest::addColumn<bool>("separatorAtEnd");  // the program folder given with a trailing separator
  QTest::addColumn<QString>("target");       // "<folder>" stands for the program folder
  const QKeySequence none;
  QTest::newRow("Help by F1") << "actHelp" << QKeySequence(Qt::Key_F1) << QByteArray() << false
                              << kHome.toString();
  QTest::newRow("FAQ by Ctrl+F1") << "actFAQ" << QKeySequence(Qt::CTRL | Qt::Key_F1) << QByteArray() << false
                                  << kHome.toString();
  QTest::newRow("Visit Homepage") << "actHome" << none << QByteArray() << false << kHome.toString();
  QTest::newRow("E-mail to author") << "actMail" << none << QByteArray() << false << kMail.toString();
  QTest::newRow("What's new? in English")
      << "actWhatNew" << none << QByteArray() << false << "<folder>/history.html";
  QTest::newRow("What's new? with a folder ending in a separator")
      << "actWhatNew" << none << QByteArray() << true << "<folder>/history.html";
  QTest::newRow("What's new? in a language without the key")
      << "actWhatNew" << none << QByteArray("sMask=Mask\r\n") << false << "<folder>/sfilehistory";
}

void tst_About::linkCommands() {
  QFETCH(QString, command);
  QFETCH(QKeySequence, key);
  QFETCH(QByteArray, entries);
  QFETCH(bool, separatorAtEnd);
  QFETCH(QString, target);
  useLanguage(entries.isEmpty() ? "english.lng" : "own.lng", entries);
  if (separatorAtEnd) SetProgramLocationForTests(m_folder->path() + "/");
  QVERIFY(startWindow());
  QSignalSpy ran(m_form->command(qPrintable(command)), &QAction::triggered);
  if (!key.isEmpty()) {
    QLineEdit* address = m_form->addressField();
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(address));
    QTest::keyClick(address, key[0].key(), key[0].keyboardModifiers());
  } else {
    m_form->command(qPrintable(command))->trigger();
  }
  QCOMPARE(ran.count(), 1);
  const QUrl expected = target.startsWith("<folder>")
                            ? QUrl::fromLocalFile(target.replace("<folder>", m_folder->path()))
                            : QUrl(target);
  QCOMPARE(m_opened, QList<QUrl>{expected});
  // The shell opened nothing, and that is not reported.
  QCOMPARE(m_boxes->count(), 0);
  QVERIFY(test::windowsLeftOpen(m_form.get()).isEmpty());
}

void tst_About::whatsNewOpensOnlyInsideTheFolder_data() {
  QTest::addColumn<QString>("name");       // sfilehistory; <folder> is the program folder
  QTest::addColumn<QStringList>("links");  // "link=target" made first; <elsewhere> is another folder
  QTest::addColumn<QString>("opened");     // the file opened; empty: nothing
  const QStringList none;
  QTest::newRow("in a sub-folder") << "docs/history.html" << none << "<folder>/docs/history.html";
  QTest::newRow("back up inside") << "docs/../history.html" << none << "<folder>/history.html";
  QTest::newRow("absolute inside") << "<folder>/history.html" << none << "<folder>/history.html";
  QTest::newRow("file URL inside") << "file://<folder>/history.html" << none << "<folder>/history.html";
  QTest::newRow("link that stays inside")
      << "inside.html" << QStringList{"inside.html=<folder>/history.html"} << "<folder>/inside.html";
  QTest::newRow("parent folder") << "../history.html" << none << "";
  QTest::newRow("back up and out") << "docs/../../../etc/passwd" << none << "";
  QTest::newRow("absolute elsewhere") << "/etc/passwd" << none << "";
  QTest::newRow("file URL elsewhere") << "file:///etc/shadow" << none << "";
  QTest::newRow("file URL climbing out") << "file://<folder>/../../../../etc/shadow" << none << "";
  QTest::newRow("file URL of another machine") << "file://server/share/history.html" << none << "";
  QTest::newRow("link out of the folder")
      << "out.html" << QStringList{"out.html=<elsewhere>/history.html"} << "";
  QTest::newRow("sub-folder that is a link out")
      << "docs/history.html" << QStringList{"docs=<elsewhere>"} << "";
  QTest::newRow("link that leads nowhere yet")
      << "gone.html" << QStringList{"gone.html=<elsewhere>/gone.html"} << "";
}

// What's new? opens the document the language names only where it lies inside the program folder, once
// links are followed; a language file is no reason to open anything else, so otherwise nothing opens.
void tst_About::whatsNewOpensOnlyInsideTheFolder() {
  QFETCH(QString, name);
  QFETCH(QStringList, links);
  QFETCH(QString, opened);
  QTemporaryDir elsewhere;
  QVERIFY(elsewhere.isValid());
  QVERIFY(test::writeFile(elsewhere.filePath("history.html"), "<p>elsewhere</p>"));
  QVERIFY(test::writeFile(folder("history.html"), "<p>history</p>"));
  const auto resolve = [&](QString text) {
    return text.replace("<folder>", m_folder->path()).replace("<elsewhere>", elsewhere.path());
  };
  for (const QString& link : links)
    QVERIFY(QFile::link(resolve(link.section('=', 1)), folder(link.section('=', 0, 0))));
  useLanguage("own.lng", "sfilehistory=" + resolve(name).toUtf8() + "\r\n");
  QVERIFY(startWindow());
  m_form->command("actWhatNew")->trigger();
  QCOMPARE(m_opened, opened.isEmpty() ? QList<QUrl>{} : QList<QUrl>{QUrl::fromLocalFile(resolve(opened))});
  QCOMPARE(m_boxes->count(), 0);
}

void tst_About::historyDocumentShipped_data() {
  QTest::addColumn<QString>("file");
  for (const QString& name : QDir(QUORVANE_SHIPPED_LANGUAGES).entryList({"*.lng"}, QDir::Files))
    QTest::newRow(qPrintable(name)) << name;
}

// What's new? opens a file beside the executable, named by the language: the build must put it there.
void tst_About::historyDocumentShipped() {
  QFETCH(QString, file);
  const QString program = qEnvironmentVariable("QUORVANE_PROGRAM");
  QVERIFY2(QFileInfo(program).isExecutable(), qPrintable(program));
  QFile language(QUORVANE_SHIPPED_LANGUAGES "/" + file);
  QVERIFY(language.open(QIODevice::ReadOnly));
  QString named;
  for (const QByteArray& line : language.readAll().split('\n'))
    if (line.trimmed().startsWith("sfilehistory=")) named = QString::fromUtf8(line.trimmed().mid(13));
  QVERIFY(!named.isEmpty());
  const QString path = QFileInfo(program).absolutePath() + "/" + named;
  QVERIFY2(QFileInfo(path).isFile(), qPrintable(path));
}

void tst_About::textsFit_data() {
  QTest::addColumn<QString>("language");
  QTest::newRow("English") << "english.lng";
  QTest::newRow("Russian") << "russian.lng";
  QTest::newRow("German") << "german.lng";
}

// At the designed places every text of the box is shown whole and inside the box.
void tst_About::textsFit() {
  QFETCH(QString, language);
  useLanguage(language);
  QVERIFY(startWindow());
  QStringList clipped;
  withAboutBox([&](TAboutBox* box) {
    const QString shots = qEnvironmentVariable("QUORVANE_ABOUT_SHOTS");
    if (!shots.isEmpty()) box->grab().save(shots + "/about-" + QFileInfo(language).baseName() + ".png");
    for (QLabel* label : box->findChildren<QLabel*>()) {
      const QSize needed =
          label->wordWrap() ? QSize(0, label->heightForWidth(label->width())) : label->sizeHint();
      if (needed.width() > label->width() || needed.height() > label->height() ||
          !box->rect().contains(label->geometry()))
        clipped << label->objectName();
    }
    // A button's own minimum width is the style's; what counts is that its caption fits inside the frame.
    auto* ok = box->findChild<QPushButton*>("Button1");
    if (ok->fontMetrics().horizontalAdvance(ok->text()) > ok->width() - 12) clipped << ok->objectName();
    box->findChild<QPushButton*>("Button1")->click();
  });
  QVERIFY2(clipped.isEmpty(), qPrintable("clipped: " + clipped.join(", ")));
}

QUORVANE_GUI_TEST_MAIN(tst_About)

#include "tst_about.moc"
