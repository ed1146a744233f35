// The language menu of the main window.
#include <QActionGroup>
#include <QDir>

#include "forms/frmplanner.h"
#include "main/quorvaneform.h"
#include "platform/programfolder.h"
#include "settings/langchanger.h"
#include "settings/settingsvalues.h"
#include "widgets/errorguard.h"

namespace quorvane {

namespace {

// The file name each language item stands for, kept apart from its caption: a caption shows "&" doubled
// so that the menu does not take it for an accelerator marker.
constexpr const char* kFileProperty = "languageFile";

// The caption of a language item: the file name as it is, with the first letter or digit that no earlier
// item took as the item's access key ("english.lng", "german.lng" and "greek.lng" underline e, g and r).
QString languageCaption(const QString& name, QList<QChar>& taken) {
  qsizetype key = -1;
  for (qsizetype i = 0; i < name.size() && key < 0; ++i) {
    const QChar c = name[i].toLower();
    if (c.isLetterOrNumber() && !taken.contains(c)) {
      taken << c;
      key = i;
    }
  }
  QString caption;
  for (qsizetype i = 0; i < name.size(); ++i) {
    if (i == key) caption += QLatin1Char('&');
    caption += name[i] == QLatin1Char('&') ? QStringLiteral("&&") : QString(name[i]);
  }
  return caption;
}

}  // namespace

void TQuorvaneForm::ListLang() {
  // The menu holds language items only; any earlier content goes.
  for (QAction* item : mnChangeLang->actions()) {
    mnChangeLang->removeAction(item);
    if (item->parent() == this || item->parent() == m_languages) delete item;
  }
  delete m_languages;
  m_languages = new QActionGroup(this);
  m_languages->setExclusive(true);

  // Every entry the folder lists under the mask, sub-folders included, in the file system's order.
  const QDir folder(ProgramFolder() + QStringLiteral("/languages"));
  const QStringList entries =
      folder.entryList({QStringLiteral("*.lng")},
                       QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Unsorted);
  int index = 0;
  QList<QChar> taken;
  for (const QString& name : entries) {
    if (name.isEmpty()) continue;
    auto* item = new TAction(m_languages, QStringLiteral("mnLanguage%1").arg(++index));
    item->setText(languageCaption(name, taken));
    item->setProperty(kFileProperty, name);
    item->setCheckable(true);
    item->setChecked(name == Settings().DefaultLang);
    mnChangeLang->addAction(item);
    connect(item, &QAction::triggered, this, [this, item] { RunGuarded(this, [&] { ChangeLang(item); }); });
  }
}

void TQuorvaneForm::ChangeLang(QAction* item) {
  Settings().DefaultLang = item->property(kFileProperty).toString();
  item->setChecked(true);
  LoadLanguage();
  if (m_planner) m_planner->refreshTexts();
  // A language's entry for the display-type items clears the selection; the display type itself stays.
  selectTypeConvert();
  // The IPv6 window's results hold words of the text table: written again in the new language.
  if (m_ipv6) m_ipv6->retranslateResults();
}

}  // namespace quorvane
