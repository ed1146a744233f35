// A registry block as one line of text.
#include "settings/blocktext.h"

#include "settings/texttable.h"

namespace quorvane {

namespace {

QString fromView(std::string_view text) { return QString::fromUtf8(text.data(), qsizetype(text.size())); }

}  // namespace

QString BlockText(const quorvane::Block& block) {
  const Text reachable = block.globallyReachable == Flag::Yes  ? Text::sReachableYes
                         : block.globallyReachable == Flag::No ? Text::sReachableNo
                                                               : Text::sReachableUnstated;
  QString text = fromView(block.name);
  if (!block.rfc.empty()) text += QStringLiteral(" (") + fromView(block.rfc) + QLatin1Char(')');
  return text + QStringLiteral(", ") + Tr(reachable);
}

}  // namespace quorvane
