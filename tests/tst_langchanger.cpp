// Tests of the translator: the rewrite of language files, entries applied by property path, text lookups
// and the loading of a language into the open forms and the text table.
#include "settings/langchanger.h"

#include <sys/stat.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>
#include <memory>

#include "core/exception.h"
#include "platform/profile.h"
#include "platform/programfolder.h"
#include "settings/filenotices.h"
#include "settings/settingsvalues.h"
#include "settings/texttable.h"
#include "tests/fixture.h"
#include "widgets/action.h"
#include "widgets/buttons.h"
#include "widgets/combobox.h"
#include "widgets/dialogform.h"
#include "widgets/form.h"
#include "widgets/label.h"
#include "widgets/labelededit.h"

using namespace quorvane;
using quorvane::test::entriesOf;
using quorvane::test::raw;
using quorvane::test::readFile;
using quorvane::test::writeFile;
using namespace Qt::StringLiterals;

namespace {

// What a rewrite may change: blanks and control characters, line breaks and added equals signs. The rest
// of a file must come back byte for byte.
QByteArray substance(const QByteArray& bytes) {
  QByteArray kept;
  for (const char c : bytes) {
    if (static_cast<unsigned char>(c) > 32 && c != '=') kept += c;
  }
  return kept;
}

const QString kUnchanged = u"<unchanged>"_s;

// One data row on one line; text literals become QString columns.
template <typename... Values>
void row(const char* tag, Values... values) {
  (QTest::newRow(tag) << ... << values);
}

}  // namespace

// A main window with one control of each kind that language files reach, and test-only properties of the
// kinds no control has. Probe records the text table as it was when the form was translated.
class TTestForm : public TForm {
  Q_OBJECT
  Q_PROPERTY(double Ratio MEMBER ratio)
  Q_PROPERTY(float Scale MEMBER scale)
  Q_PROPERTY(qlonglong Big MEMBER big)
  Q_PROPERTY(bool Flag MEMBER flag)
  Q_PROPERTY(Mode Kind MEMBER kind)
  Q_PROPERTY(QString Fixed READ fixed)
  Q_PROPERTY(QObject* Nothing READ nothing)
  Q_PROPERTY(QString Probe READ probe WRITE setProbe)
 public:
  enum Mode { First, Second };
  Q_ENUM(Mode)

  TTestForm() {
    auto* client = new QWidget(this);
    setCentralWidget(client);
    lblName = new TLabel(client, u"lblName"_s, u"Name"_s, QRect(10, 10, 80, 20));
    edValue = new TLabeledEdit(client, u"edValue"_s, u"Value"_s, QRect(100, 40, 120, 21));
    cbKind = new TComboBox(client, u"cbKind"_s, QRect(100, 70, 120, 21));
    cbKind->setItems({u"one"_s, u"two"_s});
    btnOk = new TButton(client, u"btnOk"_s, u"OK"_s, QRect(100, 100, 75, 25));
    actGo = new TAction(this, u"actGo"_s);
    actGo->setText(u"Go"_s);
    setWindowTitle(u"Designed title"_s);
    setClientSize(300, 200);
  }
  QString fixed() const { return u"fixed"_s; }
  QObject* nothing() const { return nullptr; }
  QString probe() const { return probeSaw; }
  void setProbe(const QString&) { probeSaw = TextTable::Get(Text::sMask); }

  double ratio = 0.25;
  float scale = 0.75f;
  qlonglong big = 7;
  bool flag = false;
  Mode kind = First;
  QString probeSaw = u"<never translated>"_s;
  TLabel* lblName;
  TLabeledEdit* edValue;
  TComboBox* cbKind;
  TButton* btnOk;
  TAction* actGo;
};

// A dialog owned by the test form, with a label of the same name as the form's and one named like a
// property of every form. It lives in a namespace, as the program's forms do, so that its Qt class name is
// qualified while language files name it without.
namespace testforms {
class TTestDialog : public TDialogForm {
  Q_OBJECT
 public:
  explicit TTestDialog(QWidget* owner) : TDialogForm(owner) {
    setObjectName(u"dlgTest"_s);
    setWindowTitle(u"Designed dialog"_s);
    lblName = new TLabel(this, u"lblName"_s, u"Dialog name"_s, QRect(5, 5, 60, 20));
    lblFont = new TLabel(this, u"Font"_s, u"F"_s, QRect(5, 30, 60, 20));
  }
  TLabel* lblName;
  TLabel* lblFont;
};
}  // namespace testforms
using testforms::TTestDialog;

class TstLangChanger : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<QTemporaryDir> m_dir;
  TTestForm* m_form = nullptr;
  TTestDialog* m_dialog = nullptr;

  QString langPath(const QString& name = u"english.lng"_s) const {
    return m_dir->filePath(u"languages/"_s + name);
  }

  QStringList languageFolder() const { return entriesOf(m_dir->filePath(u"languages"_s)); }

  // What a user or a test can see of the forms, read through Qt's own getters.
  QString observe(const QString& what) const {
    QStringList dynamic;
    QList<QObject*> objects = m_form->findChildren<QObject*>();
    objects << m_form;
    for (QObject* object : objects) {
      for (const QByteArray& name : object->dynamicPropertyNames()) {
        if (!name.startsWith("_q_"))
          dynamic << object->objectName() + QLatin1Char('.') + QString::fromLatin1(name);
      }
    }
    const QMap<QString, QString> seen = {
        {u"form.caption"_s, m_form->windowTitle()},
        {u"form.font"_s, m_form->font().family()},
        {u"form.clientWidth"_s, QString::number(m_form->width())},
        {u"form.big"_s, QString::number(m_form->big)},
        {u"form.flag"_s, QString::number(m_form->flag)},
        {u"form.kind"_s, QString::number(m_form->kind)},
        {u"form.dynamic"_s, dynamic.join(QLatin1Char(','))},
        {u"lblName.text"_s, m_form->lblName->text()},
        {u"lblName.left"_s, QString::number(m_form->lblName->x())},
        {u"lblName.width"_s, QString::number(m_form->lblName->width())},
        {u"btnOk.size"_s, QString::number(m_form->btnOk->font().pointSize())},
        {u"btnOk.enabled"_s, QString::number(m_form->btnOk->isEnabled())},
        {u"edValue.label"_s, m_form->edValue->editLabel()->text()},
        {u"cbKind.items"_s, m_form->cbKind->items().join(QLatin1Char('|'))},
        {u"actGo.caption"_s, m_form->actGo->text()},
        {u"actGo.hint"_s, m_form->actGo->toolTip()},
        {u"dialog.caption"_s, m_dialog->windowTitle()},
        {u"dialog.lblName"_s, m_dialog->lblName->text()},
        {u"dialog.Font.width"_s, QString::number(m_dialog->lblFont->width())},
    };
    if (what == QLatin1String("all")) {
      QStringList all;
      for (auto it = seen.begin(); it != seen.end(); ++it) all << it.key() + QLatin1Char('=') + it.value();
      return all.join(QLatin1Char('\n'));
    }
    return seen.value(what, u"<no such observation>"_s);
  }

 private Q_SLOTS:
  void init() {
    m_dir = test::freshProgramFolder();
    QVERIFY(m_dir);
    QVERIFY(QDir(m_dir->path()).mkdir(u"languages"_s));
    QLocale::setDefault(QLocale::c());
    m_form = new TTestForm;
    m_dialog = new TTestDialog(m_form);
  }

  void cleanup() {
    delete m_form;
    QFile::setPermissions(m_dir->filePath(u"languages"_s),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    m_dir.reset();
    SetProgramLocationForTests(QString());
    LangChanger().reset();
    QLocale::setDefault(QLocale::c());
  }

  void rewriteTurnsBareKeysIntoEntries_data() {
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QByteArray>("after");
    row("bare key gets an equals sign", raw("[Translations]\r\nAboutBox.Caption\r\n"),
        raw("[Translations]\r\nAboutBox.Caption=\r\n"));
    row("header trimmed, entry kept as it is", raw("  [Translations] \r\n  key = value  \r\n"),
        raw("[Translations]\r\n  key = value  \r\n"));
    row("bare key trimmed before the equals sign", raw(" \t\x01key \x1f\r\n"), raw("key=\r\n"));
    row("blank line becomes empty", raw("a=1\r\n \t \r\nb=2\r\n"), raw("a=1\r\n\r\nb=2\r\n"));
    row("LF lines end with CR LF", raw("[T]\nk\nv=1\n"), raw("[T]\r\nk=\r\nv=1\r\n"));
    row("CR lines end with CR LF", raw("[T]\rk\r\rv=1\r"), raw("[T]\r\nk=\r\n\r\nv=1\r\n"));
    row("mixed breaks, empty lines kept", raw("a\r\n\n\rb"), raw("a=\r\n\r\n\r\nb=\r\n"));
    row("last line without a break", raw("[T]\r\nk"), raw("[T]\r\nk=\r\n"));
    row("comment without equals sign", raw(";note\r\n"), raw(";note=\r\n"));
    row("empty file stays empty", QByteArray(), QByteArray());
    row("byte order mark stays in front", raw("\xEF\xBB\xBF  key\r\n"), raw("\xEF\xBB\xBFkey=\r\n"));
    row("8-bit text passes unchanged", raw("\xE4\xF6=\xFC\r\n\xC4\xD6\r\n"),
        raw("\xE4\xF6=\xFC\r\n\xC4\xD6=\r\n"));
  }

  void rewriteTurnsBareKeysIntoEntries() {
    QFETCH(QByteArray, before);
    QFETCH(QByteArray, after);
    QVERIFY(writeFile(langPath(), before));
    LangChanger().setLangFile(u"  "_s + langPath() + u"\t"_s);
    QCOMPARE(LangChanger().LangFile(), langPath());
    QCOMPARE(readFile(langPath()), after);
    // Selected again later, the file comes back byte for byte, and no temporary file stays behind. Being in
    // its rewritten form already, it is not even written: the same file is still there.
    struct stat rewritten {};
    QCOMPARE(::stat(QFile::encodeName(langPath()).constData(), &rewritten), 0);
    LangChanger().reset();
    LangChanger().setLangFile(langPath());
    QCOMPARE(readFile(langPath()), after);
    struct stat again {};
    QCOMPARE(::stat(QFile::encodeName(langPath()).constData(), &again), 0);
    QCOMPARE(again.st_ino, rewritten.st_ino);
    QCOMPARE(languageFolder(), QStringList{u"english.lng"_s});
  }

  void unusableFileIsNeitherRewrittenNorRead_data() {
    QTest::addColumn<QByteArray>("bytes");  // empty: a folder of that name
    const QString wide = u"[Translations]\r\nTestForm.Caption=Wide\r\nsMask=Wide\r\nbare\r\n"_s;
    row("16-bit Unicode file",
        raw("\xFF\xFE") + QByteArray(reinterpret_cast<const char*>(wide.utf16()), wide.size() * 2));
    row("8-bit file with one zero byte",
        raw("[Translations]\r\nTestForm.Caption=Zero\r\nsMask=Zero\r\nbare\r\n\0\r\n"));
    row("folder named like a language file", QByteArray());
  }

  void unusableFileIsNeitherRewrittenNorRead() {
    QFETCH(QByteArray, bytes);
    const QString path = langPath();
    if (bytes.isEmpty()) {
      QVERIFY(QDir().mkpath(path));
    } else {
      QVERIFY(writeFile(path, bytes));
    }
    LoadLanguage();
    QCOMPARE(LangChanger().LangFile(), path);
    if (!bytes.isEmpty()) QCOMPARE(readFile(path), bytes);
    QCOMPARE(observe("form.caption"), u"Designed title"_s);
    QCOMPARE(Tr(Text::sMask), u"sMask"_s);
    QCOMPARE(LangChanger().LookupText(u"sMask"_s), u"sMask"_s);
    QVERIFY(LangChanger().ReadKeyNames(u"Translations"_s).isEmpty());
  }

  void defaultLangOutsideTheFolderIsTakenAsMissing_data() {
    QTest::addColumn<QString>("name");
    row("parent folder", u"../outside.lng"_s);
    row("absolute path", u"<absolute>"_s);
    row("sub-folder", u"sub/inside.lng"_s);
    row("backslash", u"sub\\inside.lng"_s);
    row("dot dot", u".."_s);
    row("dot dot and a blank", u".. "_s);
    row("dot", u"."_s);
    row("empty", QString());
    row("blanks only", u"   "_s);
  }

  void defaultLangOutsideTheFolderIsTakenAsMissing() {
    QFETCH(QString, name);
    QVERIFY(writeFile(langPath(), raw("[Translations]\r\nTestForm.Caption=English\r\nsMask=Mask\r\n")));
    const QByteArray planted = raw("[Translations]\nTestForm.Caption=Planted\nsMask=Planted\nbare\n");
    const QStringList plantedFiles = {m_dir->filePath(u"outside.lng"_s), langPath(u"sub/inside.lng"_s),
                                      langPath(u"sub\\inside.lng"_s)};
    for (const QString& path : plantedFiles) QVERIFY(writeFile(path, planted));
    LoadLanguage();
    QCOMPARE(Tr(Text::sMask), u"Mask"_s);

    Settings().DefaultLang = name == QLatin1String("<absolute>") ? plantedFiles[0] : name;
    LoadLanguage();
    for (const QString& path : plantedFiles) QCOMPARE(readFile(path), planted);
    QCOMPARE(LangChanger().LangFile(), QString());
    QCOMPARE(Tr(Text::sMask), u"sMask"_s);
    QCOMPARE(observe("form.caption"), u"English"_s);
  }

  void loadLanguageTranslatesFormsThenRefillsTheTable() {
    QVERIFY(
        writeFile(langPath(),
                  raw("[Translations]\r\nTestForm.Probe=x\r\nTestDialog.Caption=Dialog\r\nsMask=Mask\r\n")));
    LoadLanguage();
    QCOMPARE(m_form->probeSaw, QString());  // the table was still empty while the forms were translated
    QCOMPARE(observe("dialog.caption"), u"Dialog"_s);
    QCOMPARE(Tr(Text::sMask), u"Mask"_s);
    QCOMPARE(Tr(Text::sUse), u"sUse"_s);
    // The current language chosen again: not rewritten, but applied again.
    const QByteArray changed =
        raw("[Translations]\nTestForm.Probe=x\nTestForm.Caption=Again\nbare\nsMask=Mask 2\n");
    QVERIFY(writeFile(langPath(), changed));
    LoadLanguage();
    QCOMPARE(readFile(langPath()), changed);
    QCOMPARE(m_form->probeSaw, u"Mask"_s);
    QCOMPARE(observe("form.caption"), u"Again"_s);
    QCOMPARE(Tr(Text::sMask), u"Mask 2"_s);
  }

  void refusedRewriteAppliesTheFileAsItIs_data() {
    QTest::addColumn<QString>("refusal");
    row("name too long for a temporary file beside it", "long name");
    row("read-only folder", "read-only");
    row("rewritten, the file would pass 16 MiB", "too large");
  }

  // A language whose file cannot be rewritten still loads: every entry it holds applies (its bare keys are no
  // entries yet), the texts are refilled, and then the refusal is shown, once. The file stays as it was.
  void refusedRewriteAppliesTheFileAsItIs() {
    QFETCH(QString, refusal);
    // The save goes through a temporary file named after the target with a suffix: beside a file whose
    // name has the longest length allowed, that name cannot exist.
    const QString name =
        refusal == QLatin1String("long name") ? QString(251, QLatin1Char('l')) + u".lng"_s : u"english.lng"_s;
    QByteArray bytes = raw("[Translations]\r\nTestForm.Caption=English\r\nbare\r\nsMask=Mask\r\n");
    // Line breaks that the rewrite doubles: 9 MB of them would become 18.
    if (refusal == QLatin1String("too large")) bytes += QByteArray(9'000'000, '\n');
    QVERIFY(writeFile(langPath(name), bytes));
    if (refusal == QLatin1String("read-only")) {
      QVERIFY(QFile::setPermissions(m_dir->filePath(u"languages"_s),
                                    QFileDevice::ReadOwner | QFileDevice::ExeOwner));
      QFile probe(langPath(u"probe"_s));
      if (probe.open(QIODevice::WriteOnly))
        QSKIP("folder permissions do not bind this user (root); the long-name row covers the refusal");
    }
    Settings().DefaultLang = name;
    test::ModalAnswerer answerer;
    LoadLanguage();
    const QList<test::AnsweredBox> boxes = answerer.take();
    QCOMPARE(boxes.size(), 1);
    QCOMPARE(boxes[0].text, u"An error occurred in the application."_s);
    const QString expected = u"Cannot create file \"%1\". "_s.arg(langPath(name));
    QVERIFY2(
        boxes[0].informativeText.startsWith(expected) && boxes[0].informativeText.size() > expected.size(),
        qPrintable(boxes[0].informativeText));
    if (refusal == QLatin1String("too large"))
      QVERIFY2(boxes[0].informativeText.contains(u"16 MiB"_s), qPrintable(boxes[0].informativeText));
    QCOMPARE(LangChanger().LangFile(), langPath(name));
    QCOMPARE(observe("form.caption"), u"English"_s);
    QCOMPARE(Tr(Text::sMask), u"Mask"_s);
    QCOMPARE(readFile(langPath(name)), bytes);
    QCOMPARE(languageFolder(), QStringList{name});

    // Loaded again, the file is applied again without another try, and without another message.
    m_form->setWindowTitle(u"Designed title"_s);
    LoadLanguage();
    QCOMPARE(answerer.count(), 0);
    QCOMPARE(observe("form.caption"), u"English"_s);
    QCOMPARE(readFile(langPath(name)), bytes);
  }

  // A file larger than any language file can be is neither read nor rewritten: it counts as missing, and
  // the user is told so, once a run, whichever language is chosen in between.
  void fileOverTheLimitIsNeitherReadNorRewritten() {
    QByteArray bytes = raw("[Translations]\r\nTestForm.Caption=Large\r\nbare\r\nsMask=Mask\r\n");
    bytes += QByteArray(profile::kMaxFileSize + 1 - bytes.size(), '\n');
    QVERIFY(writeFile(langPath(), bytes));
    QVERIFY(writeFile(langPath(u"other.lng"_s), raw("[Translations]\r\nsMask=Other\r\n")));
    test::ModalAnswerer answerer;
    LoadLanguage();
    const QList<test::AnsweredBox> boxes = answerer.take();
    QCOMPARE(boxes.size(), 1);
    QCOMPARE(boxes[0].icon, QMessageBox::Warning);
    QCOMPARE(boxes[0].text, FileProblemText(FileProblem::TooLarge, langPath()));
    QVERIFY2(boxes[0].text.startsWith(langPath() + u"\r\n"_s) && boxes[0].text.contains(u"16 MiB"_s),
             qPrintable(boxes[0].text));
    QCOMPARE(observe("form.caption"), u"Designed title"_s);
    QCOMPARE(Tr(Text::sMask), u"sMask"_s);
    QVERIFY(readFile(langPath()) == bytes);
    QCOMPARE(languageFolder(), (QStringList{u"english.lng"_s, u"other.lng"_s}));

    for (const QString& name : {u"other.lng"_s, u"english.lng"_s}) {
      Settings().DefaultLang = name;
      LoadLanguage();
    }
    QCOMPARE(answerer.count(), 0);
    QCOMPARE(Tr(Text::sMask), u"sMask"_s);
    QVERIFY(readFile(langPath()) == bytes);
  }

  // A file of one line break after the other has the most lines a file of its size can hold, and its rewrite
  // doubles it. Loading it costs about twice its size at most: its lines are walked, never stored one by one,
  // and the rewritten file is never held beside the old one.
  void manyLinesCostAboutTheirSize() {
    const qint64 size = 8'000'000;
    QByteArray bytes = raw("[Translations]\nTestForm.Caption=Lines\nsMask=Mask\n");
    bytes += QByteArray(size - bytes.size(), '\n');
    QVERIFY(writeFile(langPath(), bytes));
    const qsizetype lines = bytes.count('\n');
    bytes.clear();
    const std::optional<qint64> peak = test::peakMemoryGrowth([] { LoadLanguage(); });
    if (!peak) QSKIP("no peak of the resident memory that can be started anew (or a sanitizer build)");
    QCOMPARE(observe("form.caption"), u"Lines"_s);
    QCOMPARE(Tr(Text::sMask), u"Mask"_s);
    QCOMPARE(QFileInfo(langPath()).size(), size + lines);  // every line now ends with CR LF
    QVERIFY2(*peak <= 2 * size + 4 * 1024 * 1024,
             qPrintable(u"peak %1 MiB above the start for a file of %2 MB"_s
                            .arg(double(*peak) / (1 << 20), 0, 'f', 1)
                            .arg(size / 1'000'000)));
  }

  void linkOutOfTheFolderIsAppliedNotRewritten_data() {
    QTest::addColumn<bool>("outside");
    row("link to a file outside the program folder", true);
    row("link to a file inside it", false);
  }

  // A language file that is a symbolic link out of the program folder applies as it is (its bare keys are no
  // entries) and is never rewritten through the link; the user is told once a run. A link that stays inside
  // the folder is rewritten through, as any language file.
  void linkOutOfTheFolderIsAppliedNotRewritten() {
    QFETCH(bool, outside);
    QTemporaryDir elsewhere;
    QVERIFY(elsewhere.isValid());
    const QString target =
        outside ? elsewhere.filePath(u"shared.lng"_s) : m_dir->filePath(u"shared/shared.lng"_s);
    const QByteArray bytes =
        raw("[Translations]\r\nTestForm.Caption=Linked\r\nTestForm.lblName.Caption\r\nsMask=Mask\r\n");
    QVERIFY(writeFile(target, bytes));
    QVERIFY(QFile::link(target, langPath()));
    QVERIFY(writeFile(langPath(u"other.lng"_s), raw("[Translations]\r\nsMask=Other\r\n")));
    test::ModalAnswerer answerer;
    LoadLanguage();
    QCOMPARE(observe("form.caption"), u"Linked"_s);
    QCOMPARE(Tr(Text::sMask), u"Mask"_s);
    QVERIFY(QFileInfo(langPath()).isSymLink());
    if (!outside) {
      QCOMPARE(answerer.count(), 0);
      QCOMPARE(
          readFile(target),
          raw("[Translations]\r\nTestForm.Caption=Linked\r\nTestForm.lblName.Caption=\r\nsMask=Mask\r\n"));
      QCOMPARE(observe("lblName.text"), QString());
      return;
    }
    QCOMPARE(answerer.takeTexts(), QStringList{FileProblemText(FileProblem::LinkOutside, langPath())});
    QCOMPARE(readFile(target), bytes);
    QCOMPARE(entriesOf(elsewhere.path()), QStringList{u"shared.lng"_s});
    QCOMPARE(observe("lblName.text"), u"Name"_s);
    // Chosen again after another language: applied again, not told again.
    for (const QString& name : {u"other.lng"_s, u"english.lng"_s}) {
      m_form->setWindowTitle(u"Designed title"_s);
      Settings().DefaultLang = name;
      LoadLanguage();
    }
    QCOMPARE(answerer.count(), 0);
    QCOMPARE(observe("form.caption"), u"Linked"_s);
    QCOMPARE(readFile(target), bytes);
  }

  void unreadableFileRaisesAndStaysAsItIs() {
    const QByteArray bytes = raw("[Translations]\r\nbare\r\n");
    QVERIFY(writeFile(langPath(), bytes));
    QVERIFY(QFile::setPermissions(langPath(), QFileDevice::WriteOwner));
    if (QFile(langPath()).open(QIODevice::ReadOnly)) QSKIP("file permissions do not bind this user (root)");
    QVERIFY_THROWS_EXCEPTION(Exception, LangChanger().setLangFile(langPath()));
    QCOMPARE(LangChanger().LangFile(), langPath());
    QVERIFY(QFile::setPermissions(langPath(), QFileDevice::ReadOwner | QFileDevice::WriteOwner));
    QCOMPARE(readFile(langPath()), bytes);
  }

  void applyEntry_data() {
    QTest::addColumn<bool>("onDialog");
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("observed");
    QTest::addColumn<QString>("expected");
    row("component then property", false, "lblName.Caption", "Name:", "lblName.text", "Name:");
    row("names ignore case", false, "LBLNAME.caption", "N", "lblName.text", "N");
    row("form's own caption", false, "Caption", "Title", "form.caption", "Title");
    row("no component: first name is a form property", false, "Font.Name", "Times New Roman", "form.font",
        "Times New Roman");
    row("font size of a control", false, "btnOk.Font.Size", "14", "btnOk.size", "14");
    row("left of a control", false, "lblName.Left", "-5", "lblName.left", "-5");
    row("our Width over Qt's width", false, "lblName.width", "121", "lblName.width", "121");
    row("client width of the form", false, "ClientWidth", "400", "form.clientWidth", "400");
    row("label of a labelled edit", false, "edValue.EditLabel.Caption", "Value:", "edValue.label", "Value:");
    row("items of a combo box", false, "cbKind.Items", "a,,b", "cbKind.items", "a||b");
    row("action caption", false, "actGo.Caption", "Run", "actGo.caption", "Run");
    row("64-bit integer", false, "Big", "123", "form.big", "123");
    row("64-bit integer beyond 32 bits", false, "Big", "5000000000", "form.big", kUnchanged);
    row("integer from letters", false, "lblName.Left", "abc", "lblName.left", kUnchanged);
    row("integer from a fraction", false, "lblName.Left", "12.5", "lblName.left", kUnchanged);
    row("integer beyond 32 bits", false, "lblName.Left", "99999999999", "lblName.left", kUnchanged);
    row("Boolean ignored", false, "Flag", "1", "form.flag", kUnchanged);
    row("enumeration ignored", false, "Kind", "1", "form.kind", kUnchanged);
    row("read-only property ignored", false, "Fixed", "x", "all", kUnchanged);
    row("object as last name ignored", false, "Font", "Arial", "all", kUnchanged);
    row("Qt's Boolean ignored", false, "btnOk.enabled", "false", "btnOk.enabled", kUnchanged);
    row("through a text property", false, "Caption.Name", "x", "all", kUnchanged);
    row("through an empty object", false, "Nothing.Name", "x", "all", kUnchanged);
    row("unknown name: no dynamic property", false, "NoSuchProperty", "1", "form.dynamic", "");
    row("empty first name", false, ".Caption", "x", "all", kUnchanged);
    row("trailing point", false, "lblName.", "x", "all", kUnchanged);
    row("empty middle name", false, "lblName..Caption", "x", "all", kUnchanged);
    row("very long path", false, qPrintable(u"a."_s.repeated(20000) + u"Caption"_s), "x", "all", kUnchanged);
    row("main form's label, not the dialog's", false, "lblName.Caption", "Main", "dialog.lblName",
        kUnchanged);
    row("dialog's label through the dialog", true, "lblName.Caption", "Dlg", "dialog.lblName", "Dlg");
    row("component named like a property wins", true, "Font.Width", "77", "dialog.Font.width", "77");
    row("owned dialog is a component of the form", false, "dlgTest.Caption", "Owned", "dialog.caption",
        "Owned");
  }

  void applyEntry() {
    QFETCH(bool, onDialog);
    QFETCH(QString, path);
    QFETCH(QString, value);
    QFETCH(QString, observed);
    QFETCH(QString, expected);
    const QString before = observe(observed);
    LangChanger().ApplyEntry(onDialog ? static_cast<QObject*>(m_dialog) : m_form, path, value);
    QCOMPARE(observe(observed), expected == kUnchanged ? before : expected);
    QCOMPARE(observe("form.dynamic"), QString());
  }

  void floatingPointFollowsTheLocale_data() {
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("property");
    QTest::addColumn<QString>("value");
    QTest::addColumn<double>("expected");  // NaN: unchanged
    row("point fails in the C locale", "C", "Ratio", "1.5", qQNaN());
    row("whole number in the C locale", "C", "Ratio", "2", 2.0);
    row("point in a German locale", "de_DE", "Ratio", "1.5", 1.5);
    row("comma in a German locale", "de_DE", "Ratio", "-1,5", -1.5);
    row("letters in a German locale", "de_DE", "Ratio", "abc", qQNaN());
    row("single precision in a German locale", "de_DE", "Scale", "0.5", 0.5);
  }

  void floatingPointFollowsTheLocale() {
    QFETCH(QString, locale);
    QFETCH(QString, property);
    QFETCH(QString, value);
    QFETCH(double, expected);
    QLocale::setDefault(QLocale(locale));
    const double before = m_form->property(qPrintable(property)).toDouble();
    LangChanger().ApplyEntry(m_form, property, value);
    QCOMPARE(m_form->property(qPrintable(property)).toDouble(), std::isnan(expected) ? before : expected);
  }

  void listOfLines_data() {
    QTest::addColumn<QString>("separator");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QStringList>("items");
    row("blanks around items", ",", " Binary, Decimal,Hexadecimal ",
        QStringList{"Binary", "Decimal", "Hexadecimal"});
    row("empty item in the middle", ",", "a,,b", QStringList{"a", "", "b"});
    row("trailing separator adds nothing", ",", "a,b,", QStringList{"a", "b"});
    row("one item and a separator", ",", "a,", QStringList{"a"});
    row("separators only", ",", ",,", QStringList{"", ""});
    row("empty value clears", ",", "", QStringList{});
    row("empty separator means comma", "", "a,b", QStringList{"a", "b"});
    row("blank separator means comma", " \t", "a,b", QStringList{"a", "b"});
    row("other separator, blanks kept", " ; ", "a ; b;c", QStringList{"a", "b;c"});
  }

  void listOfLines() {
    QFETCH(QString, separator);
    QFETCH(QString, value);
    QFETCH(QStringList, items);
    LangChanger().setSeparator(separator);
    QCOMPARE(LangChanger().Separator(), separator.trimmed().isEmpty() ? u","_s : separator);
    LangChanger().ApplyEntry(m_form, u"cbKind.Items"_s, value);
    QCOMPARE(m_form->cbKind->items(), items);
  }

  void translateForm_data() {
    QTest::addColumn<QString>("which");
    QTest::addColumn<QString>("formCaption");
    QTest::addColumn<QString>("dialogCaption");
    row("main form only", "form", "Main", "Designed dialog");
    row("dialog only", "dialog", "Designed title", "Dialog");
    row("every open form", "all", "Main", "Dialog");
  }

  void translateForm() {
    QFETCH(QString, which);
    QFETCH(QString, formCaption);
    QFETCH(QString, dialogCaption);
    QVERIFY(writeFile(langPath(),
                      raw("[Other]\r\nTestForm.Caption=Other section\r\n"
                          "[Translations]\r\ntestform.Caption=Main\r\nTESTDIALOG.caption=Dialog\r\n"
                          "TestForm.Caption=Second entry\r\nCaption=No form part\r\n"
                          "TestDialog.lblName.Caption=Name{ENTER}here\r\nTestForm.lblName.Caption\r\n")));
    LangChanger().setLangFile(langPath());
    QWidget* form = nullptr;
    if (which == QLatin1String("form")) form = m_form;
    if (which == QLatin1String("dialog")) form = m_dialog;
    LangChanger().TranslateForm(form);
    QCOMPARE(observe("form.caption"), formCaption);
    QCOMPARE(observe("dialog.caption"), dialogCaption);
    // A bare key line is an entry with an empty value once the file is selected.
    QCOMPARE(observe("lblName.text"), which == QLatin1String("dialog") ? u"Name"_s : QString());
    if (which != QLatin1String("form")) QCOMPARE(observe("dialog.lblName"), u"Name\r\nhere"_s);
  }

  void openFormsInCreationOrder() {
    auto* second = new TTestDialog(m_form);
    QWidget plainWindow;
    QDialog plainDialog(m_form);
    QCOMPARE(OpenForms(), (QList<QWidget*>{m_form, m_dialog, second}));
  }

  void lookupText_data() {
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("expected");
    row("key ignores case", "sMask", "Upper");
    row("{ENTER} becomes CR LF", "sInvMask", "one\r\ntwo\r\n");
    row("{enter} in lower case stays", "sPrefix", "a {enter} b");
    row("empty value gives empty text", "sClass", "");
    row("missing key gives the key", "sBlock", "sBlock");
    row("bare key line rewritten to empty", "sUse", "");
    row("quotes stripped", "sNumHost", "  quoted  ");
    row("UTF-8 decoded", "sReference", "Grüße");
    row("only the first entry counts", "sBlock1", "first");
    row("3000 bytes cut to 2047", "sBlock2", QString(2047, QLatin1Char('x')));
    row("character cut in two is dropped", "sBlock3", QString(2046, QLatin1Char('x')));
    row("character that fits is kept", "sBlock4", QString(2045, QLatin1Char('x')) + QChar(0xFC));
  }

  void lookupText() {
    QFETCH(QString, key);
    QFETCH(QString, expected);
    QByteArray bytes =
        "[Translations]\r\nSMASK=Upper\r\nsInvMask=one{ENTER}two{ENTER}\r\nsPrefix=a {enter} b\r\n"
        "sClass=\r\nsUse\r\nsNumHost=\"  quoted  "
        "\"\r\nsReference=Grüße\r\nsBlock1=first\r\nsblock1=second\r\n";
    bytes += "sBlock2=" + QByteArray(3000, 'x') + "\r\nsBlock3=" + QByteArray(2046, 'x') + "ü\r\n";
    bytes += "sBlock4=" + QByteArray(2045, 'x') + "üyy\r\n";
    QVERIFY(writeFile(langPath(), bytes));
    QCOMPARE(LangChanger().LookupText(key), key);  // no language file yet
    LangChanger().setLangFile(langPath());
    QCOMPARE(LangChanger().LookupText(key), expected);
  }

  void hostileFilesDoNotBreakTheTranslator_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("caption");  // of lblName afterwards
    QTest::addColumn<bool>("keysCut");     // more keys than the key-name buffer holds
    QByteArray garbage;
    QRandomGenerator random(42);
    for (int i = 0; i < 65536; ++i) garbage += char(1 + random.bounded(255));
    row("binary garbage", raw("[Translations]\r\n") + garbage, "Name", false);
    row("line of a megabyte", QByteArray(1 << 20, '['), "Name", false);
    row("value of a megabyte", raw("[Translations]\r\nTestForm.lblName.Caption=") + QByteArray(1 << 20, 'v'),
        QString(2047, QLatin1Char('v')), false);
    QByteArray many = "[Translations]\r\n";
    for (int i = 0; i < 5000; ++i) {
      many +=
          "TestForm.lblName.Caption=" + QByteArray::number(i) + "\r\nbare" + QByteArray::number(i) + "\r\n";
    }
    row("thousands of keys", many, "0", true);
  }

  void hostileFilesDoNotBreakTheTranslator() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, caption);
    QFETCH(bool, keysCut);
    QVERIFY(writeFile(langPath(), bytes));
    LoadLanguage();
    QCOMPARE(substance(readFile(langPath())), substance(bytes));
    QCOMPARE(observe("lblName.text"), caption);
    if (keysCut) {
      // The names listed fit the key-name buffer; the rest of them are not seen.
      const QStringList keys = LangChanger().ReadKeyNames(u"Translations"_s);
      qsizetype used = 1;
      for (const QString& key : keys) used += key.toUtf8().size() + 1;
      QVERIFY(used <= 32768 && used > 32768 - 32);
      QVERIFY(keys.size() < 10000);
    }
    LangChanger().ApplyEntry(m_form, QString::fromLatin1(bytes.left(100000)),
                             QString::fromLatin1(bytes.left(100000)));
  }
};

QTEST_MAIN(TstLangChanger)
#include "tst_langchanger.moc"
