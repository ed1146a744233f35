// No text of any form is cut off in any shipped language: captions, titles, radio buttons and grid headers
// fit the controls that show them, labelled edits' labels keep clear of their neighbours, every result field
// shows its widest value whole; and the read-only fields keep the button face in whatever palette the desktop
// has.
#include <QDir>
#include <QHeaderView>
#include <QRadioButton>
#include <QScrollArea>
#include <QStyleOption>
#include <QtTest>
#include <functional>
#include <memory>

#include "dialogs/dlgaddressdetails.h"
#include "dialogs/dlgselectaddresses.h"
#include "dialogs/dlgshowdiap.h"
#include "dialogs/dlgshowinfo.h"
#include "main/quorvaneform.h"
#include "settings/about.h"
#include "settings/langchanger.h"
#include "settings/settingsvalues.h"
#include "tests/fixture.h"

using namespace quorvane;

namespace {

enum class Form { MainWindow, MaskTable, ReservedBlocks, OwnAddresses, About, AddressDetails };
const QList<std::pair<Form, const char*>> kForms = {{Form::MainWindow, "main window"},
                                                    {Form::MaskTable, "mask table"},
                                                    {Form::ReservedBlocks, "reserved blocks"},
                                                    {Form::OwnAddresses, "own addresses"},
                                                    {Form::About, "about box"},
                                                    {Form::AddressDetails, "address details"}};

QString describe(const QWidget* control, const QString& what, QSize need, QSize room) {
  return QStringLiteral("%1: %2 needs %3 x %4, has %5 x %6")
      .arg(control->objectName(), what)
      .arg(need.width())
      .arg(need.height())
      .arg(room.width())
      .arg(room.height());
}

bool fits(QSize need, QSize room) { return need.width() <= room.width() && need.height() <= room.height(); }

// The widest value a result field can hold, written with the font's widest characters.
QString widestValue(const QWidget* field) {
  const QFontMetrics fm = field->fontMetrics();
  const auto widestOf = [&](const QString& characters) {
    QChar wide = characters[0];
    for (const QChar c : characters)
      if (fm.horizontalAdvance(c) > fm.horizontalAdvance(wide)) wide = c;
    return wide;
  };
  const QChar digit = widestOf("0123456789"), bit = widestOf("01"), hex = widestOf("0123456789ABCDEF");
  const auto octets = [](const QString& octet) { return QStringList(4, octet).join('.'); };
  const QString address = octets(QString(3, digit));
  const QString name = field->objectName();
  if (name == "edHostRange") return address + " - " + address;
  if (name == "edInputPrefix") return "/" + QString(2, digit);
  if (name == "edHostNum") return QString(10, digit);
  if (!name.endsWith("BIN")) return address;
  // The additional view: binary (35 characters), decimal (ten digits at most) or hexadecimal.
  QStringList views = {octets(QString(8, bit)), QString(10, digit), octets(QString(2, hex))};
  std::sort(views.begin(), views.end(), [&](const QString& a, const QString& b) {
    return fm.horizontalAdvance(a) > fm.horizontalAdvance(b);
  });
  return views.first();
}

// Every text of the form that its control cannot show whole, described; empty when all fit.
QStringList clippedTexts(QWidget* form) {
  QStringList problems;
  const auto insideParent = [&](const QWidget* w) {
    if (w->parentWidget() && !w->parentWidget()->rect().contains(w->geometry()))
      problems << w->objectName() + ": reaches out of " + w->parentWidget()->objectName();
  };

  for (TLabel* label : form->findChildren<TLabel*>()) {
    if (label->window() != form || !label->isVisibleTo(form) || label->text().isEmpty()) continue;
    insideParent(label);
    const QRect room = label->contentsRect();
    const QFontMetrics fm = label->fontMetrics();
    const int mnemonic = label->buddy() ? Qt::TextShowMnemonic : 0;
    // Each line's advance and the lines' height; a wrapped text as the label breaks it into lines.
    const QSize need =
        label->wordWrap()
            ? fm.boundingRect(room, Qt::TextWordWrap | int(label->alignment()), label->text()).size()
            : fm.size(mnemonic, label->text());
    if (!fits(need, room.size())) problems << describe(label, "caption", need, room.size());
  }
  // A labelled edit's label sizes itself to its caption and grows to the left, over whatever stands there.
  for (TLabeledEdit* edit : form->findChildren<TLabeledEdit*>()) {
    const TLabel* label = edit->editLabel();
    for (const QWidget* other : label->parentWidget()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
      if (other != label && other != edit && other->isVisibleTo(form) &&
          other->geometry().intersects(label->geometry()))
        problems << label->objectName() + ": overlaps " + other->objectName();
  }
  for (QPushButton* button : form->findChildren<QPushButton*>()) {
    if (button->window() != form || !button->isVisibleTo(form)) continue;
    insideParent(button);
    QStyleOptionButton option;
    option.initFrom(button);
    option.text = button->text();
    if (button->isDefault()) option.features |= QStyleOptionButton::DefaultButton;
    const QRect room = button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button);
    const QSize need = button->fontMetrics().size(Qt::TextShowMnemonic, button->text());
    if (!fits(need, room.size())) problems << describe(button, "caption", need, room.size());
  }
  for (TSpeedButton* button : form->findChildren<TSpeedButton*>()) {
    if (!button->isVisibleTo(form) || button->text().isEmpty()) continue;
    insideParent(button);
    QStyleOptionToolButton option;
    option.initFrom(button);
    option.subControls = QStyle::SC_ToolButton;
    const int frame = button->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, button);
    QRect room = button->style()
                     ->subControlRect(QStyle::CC_ToolButton, &option, QStyle::SC_ToolButton, button)
                     .adjusted(frame, frame, -frame, -frame);
    // Beside the glyph, as the style lays it out.
    if (!button->icon().isNull() && button->toolButtonStyle() == Qt::ToolButtonTextBesideIcon)
      room.setLeft(room.left() + button->iconSize().width() + 4);
    const QSize need = button->fontMetrics().size(Qt::TextShowMnemonic, button->text());
    if (!fits(need, room.size())) problems << describe(button, "caption", need, room.size());
  }
  for (QGroupBox* box : form->findChildren<QGroupBox*>()) {
    if (box->window() != form || box->title().isEmpty()) continue;
    QStyleOptionGroupBox option;
    option.initFrom(box);
    option.text = box->title();
    option.lineWidth = 1;
    option.textAlignment = box->alignment();
    option.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
    const QRect title =
        box->style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, box);
    if (!box->rect().contains(title)) problems << describe(box, "title", title.size(), box->size());
  }
  for (QRadioButton* radio : form->findChildren<QRadioButton*>()) {
    if (!radio->isVisibleTo(form)) continue;
    QStyleOptionButton option;
    option.initFrom(radio);
    option.text = radio->text();
    const QRect room = radio->style()->subElementRect(QStyle::SE_RadioButtonContents, &option, radio);
    const QSize need = radio->fontMetrics().size(Qt::TextShowMnemonic, radio->text());
    if (!fits(need, room.size())) problems << describe(radio, "text", need, room.size());
  }
  // A list that a long entry makes wider than its area is cut at the right: it never scrolls sideways.
  for (QScrollArea* area : form->findChildren<QScrollArea*>())
    if (area->widget() && area->widget()->width() > area->viewport()->width())
      for (QRadioButton* radio : area->widget()->findChildren<QRadioButton*>())
        if (radio->geometry().right() >= area->viewport()->width())
          problems << describe(radio, "list entry", radio->size(), area->viewport()->size());
  for (TStringGrid* grid : form->findChildren<TStringGrid*>()) {
    QHeaderView* header = grid->horizontalHeader();
    const int margin = header->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, header);
    for (int column = 0; column < grid->columnCount(); ++column) {
      const QSize need(header->fontMetrics().horizontalAdvance(grid->cell(column, 0)) + 2 * margin, 0);
      if (!fits(need, {header->sectionSize(column), 0}))
        problems << describe(grid, QStringLiteral("header %1").arg(column), need,
                             {header->sectionSize(column), 0});
    }
    if (header->length() > grid->viewport()->width())
      problems << describe(grid, "columns", {header->length(), 0}, {grid->viewport()->width(), 0});
    // The address details wrap a long cell onto more lines of a taller row: every line must fit.
    if (grid->objectName() == "sgDetails") {
      const int textMargin = grid->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, grid) + 1;
      for (int row = 1; row <= grid->rowCount(); ++row)
        for (int column = 0; column < grid->columnCount(); ++column) {
          const QRect room(0, 0, grid->columnWidth(column) - 2 * textMargin - 1, grid->rowHeight(row - 1));
          const QRect need =
              grid->fontMetrics().boundingRect(room, Qt::TextWordWrap, grid->cell(column, row));
          if (!fits(need.size(), room.size()) || need.width() > room.width())
            problems << describe(grid, QStringLiteral("cell %1,%2").arg(column).arg(row), need.size(),
                                 room.size());
        }
    }
    // The masks are what the table is for; the reserved blocks' uses may be cut, the grid's hint shows them.
    if (grid->objectName() != "sgMask") continue;
    const int textMargin = grid->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, grid) + 1;
    for (int row = 1; row <= grid->rowCount(); ++row)
      for (int column = 0; column < grid->columnCount(); ++column) {
        const QSize need(grid->fontMetrics().horizontalAdvance(grid->cell(column, row)) + 2 * textMargin, 0);
        const QSize room(grid->columnWidth(column) - (grid->showGrid() ? 1 : 0), 0);
        if (!fits(need, room))
          problems << describe(grid, QStringLiteral("cell %1,%2").arg(column).arg(row), need, room);
      }
  }
  for (TEdit* field : form->findChildren<TEdit*>()) {
    // The area the field draws its text in, inside its frame and margins; one pixel more for the cursor.
    const QRect area = field->textArea();
    const QSize room(area.width(), area.height());
    const QString value = widestValue(field);
    const QSize need(field->fontMetrics().horizontalAdvance(value) + 1, field->fontMetrics().height());
    if (!fits(need, room)) problems << describe(field, '"' + value + '"', need, room);
  }
  return problems;
}

}  // namespace

Q_DECLARE_METATYPE(Form)

class tst_Layout : public test::GuiFixture {
  Q_OBJECT

 private Q_SLOTS:
  void initTestCase();
  void init();
  void cleanup();

  void everyTextFits_data();
  void everyTextFits();
  void checkerFindsWhatDoesNotFit_data();
  void checkerFindsWhatDoesNotFit();
  void readOnlyFieldsKeepTheButtonFace_data();
  void readOnlyFieldsKeepTheButtonFace();

 private:
  // The form shown as the program shows it, in the language; null when it could not be made.
  QWidget* open(Form form, const QString& language);

  QStringList m_languages;
  std::unique_ptr<QWidget> m_dialog;
};

void tst_Layout::initTestCase() {
  m_languages = QDir(QUORVANE_SHIPPED_LANGUAGES).entryList({"*.lng"}, QDir::Files);
  QVERIFY(m_languages.size() >= 3);
}

void tst_Layout::init() {
  QVERIFY(setUpFixture());
  QVERIFY(copyShippedLanguages());
  m_adapters.report = test::threeAddresses();
}

void tst_Layout::cleanup() {
  m_dialog.reset();
  tearDownFixture();
  QApplication::setPalette(QApplication::style()->standardPalette());
}

QWidget* tst_Layout::open(Form form, const QString& language) {
  m_dialog.reset();
  const bool started = startWindow([&](TQuorvaneForm&) {
    Settings().DefaultLang = language;
    Settings().DefaultTypeConvert = 0;
  });
  if (!started) return nullptr;
  QWidget* shown = m_form.get();
  switch (form) {
    case Form::MainWindow:
      break;
    case Form::MaskTable:
      m_dialog.reset(shown = new TdlgShowInfo(m_form.get()));
      break;
    case Form::ReservedBlocks:
      m_dialog.reset(shown = new TdlgShowDiap(m_form.get()));
      break;
    case Form::OwnAddresses: {
      auto* dialog = new TdlgSelectAddresses(m_form.get());
      m_dialog.reset(shown = dialog);
      dialog->addressGroup()->setItems({"192.168.28.6", "10.0.0.5", "172.16.1.9"});
      dialog->addressGroup()->setItemIndex(0);
      break;
    }
    case Form::About:
      m_dialog.reset(shown = new TAboutBox(m_form.get()));
      break;
    case Form::AddressDetails: {
      auto* dialog = new TdlgAddressDetails(m_form.get());
      m_dialog.reset(shown = dialog);
      dialog->setRows(AddressDetailRows(CalculateSubnet(0xC0A81C06u, 0xFFFFFFE0u)));
      break;
    }
  }
  if (m_dialog) {
    LangChanger().TranslateForm(m_dialog.get());
    // Shown without its modal loop, to be measured while open.
    m_boxes->leaveOpen(m_dialog.get());
  }
  shown->show();
  return QTest::qWaitForWindowExposed(shown) ? shown : nullptr;
}

void tst_Layout::everyTextFits_data() {
  QTest::addColumn<QString>("language");
  QTest::addColumn<Form>("form");
  for (const QString& language : m_languages)
    for (const auto& [form, name] : kForms)
      QTest::addRow("%s %s", qPrintable(QFileInfo(language).baseName()), name) << language << form;
}

void tst_Layout::everyTextFits() {
  QFETCH(QString, language);
  QFETCH(Form, form);
  QWidget* shown = open(form, language);
  QVERIFY(shown);
  if (form == Form::MainWindow) QCOMPARE(shown->findChildren<TEdit*>().size(), 17);
  const QStringList problems = clippedTexts(shown);
  QVERIFY2(problems.isEmpty(), qPrintable("\n  " + problems.join("\n  ")));
}

void tst_Layout::checkerFindsWhatDoesNotFit_data() {
  QTest::addColumn<Form>("form");
  QTest::addColumn<QString>("entry");  // as a language file names it
  QTest::addColumn<QString>("value");
  QTest::addColumn<QString>("control");
  const QString longText = "A caption written far too long for the place that the form has for it";
  QTest::newRow("label") << Form::MainWindow << "lblHostNum.Caption"
                         << "Number of hosts per network"
                         << "lblHostNum";
  QTest::newRow("word-wrapped label")
      << Form::About << "Label5.Caption" << longText + ", " + longText << "Label5";
  QTest::newRow("labelled edit's label over the picture") << Form::MainWindow << "edAddress.EditLabel.Caption"
                                                          << "Type the IPv4 address here"
                                                          << "edAddressLabel";
  QTest::newRow("button") << Form::MaskTable << "btnChoose.Caption"
                          << "Choose this mask"
                          << "btnChoose";
  QTest::newRow("speed button") << Form::MainWindow << "actCalculate.Caption"
                                << "Calculate everything"
                                << "btnCalc";
  QTest::newRow("group box title") << Form::MainWindow << "gbInput.Caption" << longText + " " + longText
                                   << "gbInput";
  QTest::newRow("radio group title") << Form::OwnAddresses << "rgIPAddresses.Caption" << longText
                                     << "rgIPAddresses";
  QTest::newRow("radio button") << Form::OwnAddresses << "rgIPAddresses.Items" << longText + ",10.0.0.5"
                                << "rgItem0";
  QTest::newRow("grid header") << Form::ReservedBlocks << "sgDiap.header2"
                               << "Reference documents"
                               << "sgDiap";
  QTest::newRow("result field narrower than its value") << Form::MainWindow << "edNetworkBIN.Width"
                                                        << "190"
                                                        << "edNetworkBIN";
}

void tst_Layout::checkerFindsWhatDoesNotFit() {
  QFETCH(Form, form);
  QFETCH(QString, entry);
  QFETCH(QString, value);
  QFETCH(QString, control);
  QWidget* shown = open(form, "english.lng");
  QVERIFY(shown);
  QVERIFY2(clippedTexts(shown).isEmpty(), "the designed form must fit before it is broken");
  if (entry.startsWith("sgDiap.header"))
    shown->findChild<TStringGrid*>()->setCell(entry.right(1).toInt(), 0, value);
  else
    LangChanger().ApplyEntry(shown, entry, value);
  QTest::qWait(0);
  const QStringList problems = clippedTexts(shown);
  QVERIFY2(!problems.filter(QRegularExpression("^" + control + ":")).isEmpty(),
           qPrintable("found: " + problems.join("; ")));
}

void tst_Layout::readOnlyFieldsKeepTheButtonFace_data() {
  QTest::addColumn<bool>("darkBeforeOpening");
  QTest::addColumn<bool>("darkWhileOpen");
  QTest::newRow("dark theme at start") << true << true;
  QTest::newRow("switch to dark while open") << false << true;
  QTest::newRow("switch back to light while open") << true << false;
}

void tst_Layout::readOnlyFieldsKeepTheButtonFace() {
  QFETCH(bool, darkBeforeOpening);
  QFETCH(bool, darkWhileOpen);
  const QPalette light = QApplication::style()->standardPalette();
  QApplication::setPalette(darkBeforeOpening ? test::darkPalette() : light);
  QVERIFY(open(Form::MainWindow, "english.lng"));
  QApplication::setPalette(darkWhileOpen ? test::darkPalette() : light);
  // The desktop's change reaches the widgets as a posted event.
  QCoreApplication::processEvents();
  const QPalette desktop = QApplication::palette();
  for (const char* name : {"edInputAddress", "edNetworkBIN", "edHostRange"}) {
    const QPalette field = m_form->findChild<TEdit*>(name)->palette();
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
      QCOMPARE(field.color(group, QPalette::Base), desktop.color(group, QPalette::Button));
      QCOMPARE(field.color(group, QPalette::Text), desktop.color(group, QPalette::ButtonText));
    }
  }
  // The inputs are ordinary edits.
  QCOMPARE(m_form->findChild<QLineEdit*>("edAddress")->palette().color(QPalette::Base),
           desktop.color(QPalette::Base));
}

QTEST_MAIN(tst_Layout)
#include "tst_layout.moc"
