// Renders every form of the program offscreen into PNG files, for the README and for checking by eye: the
// main window with a result, the three reference dialogs and the about box, in every shipped language, in the
// desktop's own palette and in a dark one. Started with QT_SCALE_FACTOR=2 it renders at twice the pixels.
// Usage: quorvane_screenshot OUTPUT_FOLDER   (writes OUTPUT_FOLDER/<language>/<variant>/<form>.png)
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QPlainTextEdit>
#include <QStyle>
#include <QStyleFactory>
#include <QTabWidget>
#include <QTemporaryDir>
#include <cstdio>
#include <functional>
#include <memory>

#include "dialogs/dlgaddressdetails.h"
#include "dialogs/dlgselectaddresses.h"
#include "dialogs/dlgshowdiap.h"
#include "dialogs/dlgshowinfo.h"
#include "dialogs/ipandmask.h"
#include "forms/frmplanner.h"
#include "main/quorvaneform.h"
#include "platform/adapters.h"
#include "platform/programfolder.h"
#include "settings/about.h"
#include "settings/langchanger.h"
#include "settings/settingsvalues.h"

namespace {

using namespace quorvane;

// The example of the request hint stands in for the machine's own address, so every render is the same; two
// more addresses fill the choice of own addresses.
class ExampleAdapters : public AdapterSource {
 public:
  std::optional<QList<Adapter>> query() override {
    return QList<Adapter>{{{{"192.168.28.6", "255.255.255.224", 1}, {"10.0.0.5", "255.0.0.0", 2}}},
                          {{{"172.16.1.9", "255.255.0.0", 3}}}};
  }
};

// A dark desktop theme, as a user who chose one would have it.
QPalette darkPalette() {
  const QColor window(0x2B, 0x2B, 0x2E), base(0x1E, 0x1E, 0x20), button(0x3A, 0x3A, 0x3E),
      text(0xE8, 0xE8, 0xE8), faded(0x80, 0x80, 0x84), highlight(0x3D, 0x7A, 0xD6), link(0x74, 0xB4, 0xFF);
  QPalette p(button, window);
  for (const auto& [role, color] : {std::pair{QPalette::WindowText, text},
                                    {QPalette::Base, base},
                                    {QPalette::AlternateBase, window},
                                    {QPalette::Text, text},
                                    {QPalette::ButtonText, text},
                                    {QPalette::BrightText, QColor(0xFF, 0x6B, 0x6B)},
                                    {QPalette::ToolTipBase, base},
                                    {QPalette::ToolTipText, text},
                                    {QPalette::PlaceholderText, faded},
                                    {QPalette::Highlight, highlight},
                                    {QPalette::HighlightedText, QColor(0xFF, 0xFF, 0xFF)},
                                    {QPalette::Link, link},
                                    {QPalette::LinkVisited, link.lighter(120)}}) {
    p.setColor(QPalette::All, role, color);
  }
  for (const QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
    p.setColor(QPalette::Disabled, role, faded);
  return p;
}

void settle() {
  for (int i = 0; i < 3; ++i) {
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
  }
}

class Renderer {
 public:
  explicit Renderer(QString folder) : m_folder(std::move(folder)) {}
  bool failed() const { return m_failed; }

  void save(QWidget* form, const QString& name) {
    form->show();
    form->activateWindow();
    settle();
    const QString file = m_folder + QLatin1Char('/') + name + QStringLiteral(".png");
    if (!QDir().mkpath(m_folder) || !form->grab().save(file)) {
      std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
      m_failed = true;
      return;
    }
    std::printf("%s\n", qPrintable(file));
  }

  // A dialog as the program shows it, created, filled and translated, but shown without its modal loop.
  template <typename Dialog>
  void saveDialog(QWidget* owner, const QString& name, const std::function<void(Dialog&)>& fill = {}) {
    const std::unique_ptr<Dialog> dialog(new Dialog(owner));
    LangChanger().TranslateForm(dialog.get());
    if (fill) fill(*dialog);
    save(dialog.get(), name);
  }

 private:
  QString m_folder;
  bool m_failed = false;
};

// The subnet planner: sizing by hosts with its free blocks, a requirement that does not read, and a summary.
void renderPlanner(Renderer& renderer, TQuorvaneForm& form) {
  form.ShowPlanner(QStringLiteral("192.168.0.0/24"));
  TfrmPlanner* planner = form.planner();
  planner->findChild<QComboBox*>(QStringLiteral("cbPlanMode"))->setCurrentIndex(TfrmPlanner::ByHosts);
  auto* hosts = planner->findChild<QPlainTextEdit*>(QStringLiteral("mePlanHosts"));
  hosts->setPlainText(QStringLiteral("Servers 50\nClients 20\nPrinters 10\nLink 2"));
  planner->findChild<QCheckBox*>(QStringLiteral("cbPlanP2P"))->setChecked(true);
  planner->actPlanExecute();
  renderer.save(planner, QStringLiteral("planner-split"));
  hosts->setPlainText(QStringLiteral("Servers 50\nClients twenty"));
  planner->actPlanExecute();
  renderer.save(planner, QStringLiteral("planner-error"));
  auto* pages = planner->findChild<QTabWidget*>(QStringLiteral("pcPlanner"));
  pages->setCurrentIndex(1);
  planner->findChild<QPlainTextEdit*>(QStringLiteral("mePlanRanges"))
      ->setPlainText(QStringLiteral("10.0.0.0/24\n10.0.1.0 - 10.0.1.255\n10.0.2.5\n"
                                    "10.0.3.0 255.255.255.0\n2001:db8::/48, 2001:db8:1::/48"));
  planner->actSummariseExecute();
  renderer.save(planner, QStringLiteral("planner-summarise"));
  planner->hide();
}

// The forms in one language, into `folder`.
bool renderLanguage(const QString& language, const QString& folder) {
  Renderer renderer(folder);
  TQuorvaneForm form;
  Settings().DefaultLang = language;
  Settings().DefaultTypeConvert = 0;
  // Start-up takes the first address and calculates it.
  form.FormCreate();
  renderer.save(&form, QStringLiteral("main-window"));
  renderer.saveDialog<TdlgShowInfo>(&form, QStringLiteral("dialog-masks"));
  renderer.saveDialog<TdlgShowDiap>(&form, QStringLiteral("dialog-reserved"));
  renderer.saveDialog<TdlgSelectAddresses>(&form, QStringLiteral("dialog-addresses"),
                                           [](TdlgSelectAddresses& d) {
                                             TIPAndMask adapters;
                                             adapters.ReadAddresses();
                                             QStringList captions;
                                             for (int i = 0; i < adapters.Addresses.Count(); ++i)
                                               captions << adapters.Addresses.Items(i).IpAddress;
                                             d.addressGroup()->setItems(captions);
                                             d.addressGroup()->setItemIndex(0);
                                           });
  renderer.saveDialog<TAboutBox>(&form, QStringLiteral("about"));
  renderPlanner(renderer, form);
  renderer.saveDialog<TdlgAddressDetails>(
      &form, QStringLiteral("dialog-address-details"), [](TdlgAddressDetails& d) {
        // 192.0.0.9/29: a block of its own inside a larger one.
        d.setRows(AddressDetailRows(CalculateSubnet(0xC0000009u, 0xFFFFFFF8u)));
      });
  // A Teredo address fills every field of the IPv6 window, the embedded IPv4 addresses too.
  form.ShowIPv6(QStringLiteral("2001:0:4136:e378:8000:63bf:3fff:fdd2/63"));
  renderer.save(form.ipv6Window(), QStringLiteral("ipv6"));
  return !renderer.failed();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s OUTPUT_FOLDER\n", argv[0]);
    return 2;
  }
  QApplication application(argc, argv);
  QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
  const QString output = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();

  // The shipped languages staged beside the tool, copied: choosing a language rewrites its file.
  const QDir shipped(QCoreApplication::applicationDirPath() + QStringLiteral("/languages"));
  const QFileInfoList languages = shipped.entryInfoList({QStringLiteral("*.lng")}, QDir::Files, QDir::Name);
  QTemporaryDir program;
  if (languages.isEmpty() || !program.isValid() || !QDir(program.path()).mkdir(QStringLiteral("languages"))) {
    std::fprintf(stderr, "no language files in %s\n", qPrintable(shipped.path()));
    return 1;
  }
  for (const QFileInfo& file : languages)
    QFile::copy(file.filePath(), program.filePath(QStringLiteral("languages/") + file.fileName()));
  SetProgramLocationForTests(program.path());
  ExampleAdapters example;
  SetAdapterSourceForTests(&example);

  const QPalette desktop = QApplication::style()->standardPalette();
  const int scale = qRound(application.devicePixelRatio());
  QList<std::pair<QString, QPalette>> variants;
  if (scale == 1)
    variants = {{QStringLiteral("normal"), desktop}, {QStringLiteral("dark"), darkPalette()}};
  else
    variants = {{QStringLiteral("scale%1").arg(scale), desktop}};

  bool ok = true;
  for (const auto& [variant, palette] : variants) {
    QApplication::setPalette(palette);
    for (const QFileInfo& language : languages)
      ok = renderLanguage(language.fileName(),
                          output + QLatin1Char('/') + language.baseName() + QLatin1Char('/') + variant) &&
           ok;
  }
  SetAdapterSourceForTests(nullptr);
  SetProgramLocationForTests(QString());
  return ok ? 0 : 1;
}
