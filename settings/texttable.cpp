// The text table.
#include "settings/texttable.h"

namespace quorvane {

namespace {

// clang-format off
constexpr std::array<const char*, kTextCount> kKeys = {
    "sfilehelp", "sForumAddress", "sfilefaq",  "sfilehistory",  "sMask",         "sInvMask",
    "sNumHost",  "sPrefix",       "sClass",    "sErrorInIP",    "sErrorInMask",  "sBlock1",
    "sBlock2",   "sBlock3",       "sBlock4",   "sBlock5",       "sBlock6",       "sBlock7",
    "sBlock8",   "sBlock9",       "sBlock10",  "sBlock11",      "sBlock12",      "sBlock13",
    "sBlock14",  "sBlock15",      "sBlock16",  "sBlock17",      "sBlock18",      "sBlock",
    "sUse",      "sReference",    "sNoAnswer", "sStillClosing", "sFileTooLarge", "sFileLinkOutside",
    "sPlanName", "sPlanNetwork", "sPlanMask", "sPlanFirstHost", "sPlanLastHost", "sPlanBroadcast",
    "sPlanHosts", "sPlanFirstAddress", "sPlanLastAddress", "sPlanAddresses", "sPlanFree", "sPlanTotals",
    "sPlanTooMany", "sSummaryTotals", "sPlanBadNetwork", "sPlanPrefixRange", "sPlanBadValue",
    "sPlanZeroCount", "sPlanTooManySubnets", "sPlanBadLine", "sPlanReversed", "sPlanDoesNotFit",
    "sPlanAskCopy", "sPlanAskExport", "sPlanCopying", "sPlanExporting", "sPlanExportFailed", "sPlanCsvFiles",
    "sPlanCancel", "sPlanZeroLine",
    "sReachableYes", "sReachableNo", "sReachableUnstated", "sPublicRoutable",
    "sDetailItem", "sDetailValue", "sDetailNetwork", "sDetailAddress",
    "sDetailTotal", "sDetailUsable", "sDetailAddressBlock", "sDetailNetworkBlock",
    "sDetailInPart", "sDetailClass", "sDetailHistorical", "sDetailReverseName",
    "sDetailReverseZone", "sDetailZoneRange", "sDetailClassless", "sDetailBits",
    // The IPv6 window.
    "sErrorInIPv6",         "sErrorInPrefix6",
    "sGlobalUnicast",       "sUnassigned6",     "sScopeInterfaceLocal", "sScopeLinkLocal", "sScopeRealmLocal",
    "sScopeAdminLocal",     "sScopeSiteLocal",  "sScopeOrganizationLocal", "sScopeGlobal", "sScopeReserved",
    "sScopeUnassigned",     "sTeredo",          "sReverseZones",
};
// clang-format on

}  // namespace

std::array<QString, kTextCount>& TextTable::values() {
  static std::array<QString, kTextCount> table;
  return table;
}

const std::array<const char*, kTextCount>& TextTable::Keys() { return kKeys; }

QString TextTable::Get(Text key) { return values()[static_cast<std::size_t>(key)]; }

void TextTable::Refill(const std::function<QString(const char* key)>& lookup) {
  for (std::size_t i = 0; i < kKeys.size(); ++i) values()[i] = lookup(kKeys[i]);
}

void TextTable::Reset() { values().fill(QString()); }

}  // namespace quorvane
