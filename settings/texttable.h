// The text table: the translatable texts that the code itself puts on screen.
#pragma once

#include <QString>
#include <array>
#include <functional>

namespace quorvane {

// The keys in the order in which a refill looks them up.
enum class Text {
  sfilehelp,
  sForumAddress,
  sfilefaq,
  sfilehistory,
  sMask,
  sInvMask,
  sNumHost,
  sPrefix,
  sClass,
  sErrorInIP,
  sErrorInMask,
  sBlock1,
  sBlock2,
  sBlock3,
  sBlock4,
  sBlock5,
  sBlock6,
  sBlock7,
  sBlock8,
  sBlock9,
  sBlock10,
  sBlock11,
  sBlock12,
  sBlock13,
  sBlock14,
  sBlock15,
  sBlock16,
  sBlock17,
  sBlock18,
  sBlock,
  sUse,
  sReference,
  // Told by a start that finds the running instance not answering, or still closing.
  sNoAnswer,
  sStillClosing,
  // Told of a settings or language file that is too large to read, or a link out of the program folder.
  sFileTooLarge,
  sFileLinkOutside,
  // The subnet planner: column headers, the totals line, its messages and the questions of a long copy.
  sPlanName,
  sPlanNetwork,
  sPlanMask,
  sPlanFirstHost,
  sPlanLastHost,
  sPlanBroadcast,
  sPlanHosts,
  sPlanFirstAddress,
  sPlanLastAddress,
  sPlanAddresses,
  sPlanFree,
  sPlanTotals,
  sPlanTooMany,
  sSummaryTotals,
  sPlanBadNetwork,
  sPlanPrefixRange,
  sPlanBadValue,
  sPlanZeroCount,
  sPlanTooManySubnets,
  sPlanBadLine,
  sPlanReversed,
  sPlanDoesNotFit,
  sPlanAskCopy,
  sPlanAskExport,
  sPlanCopying,
  sPlanExporting,
  sPlanExportFailed,
  sPlanCsvFiles,
  sPlanCancel,
  sPlanZeroLine,
  // A block of the special-purpose registries as one line, and the address details' rows.
  sReachableYes,
  sReachableNo,
  sReachableUnstated,
  sPublicRoutable,
  sDetailItem,
  sDetailValue,
  sDetailNetwork,
  sDetailAddress,
  sDetailTotal,
  sDetailUsable,
  sDetailAddressBlock,
  sDetailNetworkBlock,
  sDetailInPart,
  sDetailClass,
  sDetailHistorical,
  sDetailReverseName,
  sDetailReverseZone,
  sDetailZoneRange,
  sDetailClassless,
  sDetailBits,
  // The IPv6 window: its two input errors, a registry block's reachability, the type of an address that no
  // special block holds, the multicast scopes, the Teredo addresses and a zone list too long to show whole.
  sErrorInIPv6,
  sErrorInPrefix6,
  sGlobalUnicast,
  sUnassigned6,
  sScopeInterfaceLocal,
  sScopeLinkLocal,
  sScopeRealmLocal,
  sScopeAdminLocal,
  sScopeSiteLocal,
  sScopeOrganizationLocal,
  sScopeGlobal,
  sScopeReserved,
  sScopeUnassigned,
  sTeredo,
  sReverseZones,
};
inline constexpr int kTextCount = 101;

// The one process-wide table. Every value starts empty; only Refill writes it.
class TextTable {
 public:
  static QString Get(Text key);
  // The key names, in table order.
  static const std::array<const char*, kTextCount>& Keys();
  // Each key, in table order, takes lookup(key name).
  static void Refill(const std::function<QString(const char* key)>& lookup);
  // Back to the state of process start (tests).
  static void Reset();

 private:
  static std::array<QString, kTextCount>& values();
};

// The text of a key, for readers of the table.
inline QString Tr(Text key) { return TextTable::Get(key); }

}  // namespace quorvane
