// The Tools menu: the windows that live beside the main window.
#include "main/artwork.h"
#include "main/quorvaneform.h"
#include "settings/langchanger.h"

namespace quorvane {

void TQuorvaneForm::actIPv6Execute() { ShowIPv6(QString()); }

void TQuorvaneForm::ShowIPv6(const QString& addressText) {
  if (!m_ipv6) {
    // Made on first use only: a start that never opens it pays nothing for it, neither its controls nor the
    // reading of its language entries and settings.
    auto* window = new TfrmIPv6(this, settingsPath());
    m_ipv6 = window;
    window->command("actV6Calculate")->setIcon(CommandImage(8));
    addSettingsSection(window, [window] { return window->settingsEntries(); });
    LangChanger().TranslateForm(window);
    // The planner's shortcut works there too, and plans the IPv6 window's network.
    window->addAction(command("actPlanner"));
  }
  m_ipv6->setWindowState(m_ipv6->windowState() & ~Qt::WindowMinimized);
  m_ipv6->show();
  m_ipv6->raise();
  m_ipv6->activateWindow();
  if (!addressText.isEmpty()) m_ipv6->takeAddress(addressText);
}

}  // namespace quorvane
