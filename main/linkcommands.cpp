// The main window's link commands and the about box.
#include "dialogs/dialoguse.h"
#include "main/quorvaneform.h"
#include "platform/programfolder.h"
#include "platform/shell.h"
#include "settings/about.h"
#include "settings/texttable.h"

namespace quorvane {

namespace {

void openHomePage() { ShellOpen(QUrl(QLatin1String(kHomePage))); }

}  // namespace

// Help and FAQ live on the home page.
void TQuorvaneForm::actHelpExecute() { openHomePage(); }
void TQuorvaneForm::actFAQExecute() { openHomePage(); }
void TQuorvaneForm::actHomeExecute() { openHomePage(); }

// The document that the language names, only inside the program folder: a language file is no reason to
// open anything else, and a name that leaves the folder opens nothing.
void TQuorvaneForm::actWhatNewExecute() {
  const QString path = FileInsideProgramFolder(Tr(Text::sfilehistory));
  if (!path.isEmpty()) ShellOpen(QUrl::fromLocalFile(path));
}

void TQuorvaneForm::actMailExecute() { ShellOpen(QUrl(QLatin1String(kMailLink))); }

void TQuorvaneForm::actAboutExecute() {
  const DialogUse<TAboutBox> box(AboutBox, this);
  box.exec();
}

}  // namespace quorvane
