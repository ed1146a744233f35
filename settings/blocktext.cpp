// A block of the special-purpose address table as one line of text.
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
  return QStringLiteral("%1 (%2), %3").arg(fromView(block.name), fromView(block.rfc), Tr(reachable));
}

}  // namespace quorvane
