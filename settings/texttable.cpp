// The text table.
#include "settings/texttable.h"

namespace quorvane {

namespace {

constexpr std::array<const char*, kDesignedTextCount> kDesignedKeys = {
    "sfilehelp", "sForumAddress", "sfilefaq",  "sfilehistory",  "sMask",         "sInvMask",
    "sNumHost",  "sPrefix",       "sClass",    "sErrorInIP",    "sErrorInMask",  "sBlock1",
    "sBlock2",   "sBlock3",       "sBlock4",   "sBlock5",       "sBlock6",       "sBlock7",
    "sBlock8",   "sBlock9",       "sBlock10",  "sBlock11",      "sBlock12",      "sBlock13",
    "sBlock14",  "sBlock15",      "sBlock16",  "sBlock17",      "sBlock18",      "sBlock",
    "sUse",      "sReference",    "sNoAnswer", "sStillClosing", "sFileTooLarge", "sFileLinkOutside",
};

// The keys of the registry blocks' text and the address details, after the others in the same order as in
// the enumeration.
constexpr std::array<const char*, kTextCount - kDesignedTextCount> kDetailKeys = {
    "sReachableYes",      "sReachableNo",     "sReachableUnstated",  "sPublicRoutable",
    "sDetailItem",        "sDetailValue",     "sDetailNetwork",      "sDetailAddress",
    "sDetailTotal",       "sDetailUsable",    "sDetailAddressBlock", "sDetailNetworkBlock",
    "sDetailInPart",      "sDetailClass",     "sDetailHistorical",   "sDetailReverseName",
    "sDetailReverseZone", "sDetailZoneRange", "sDetailClassless",    "sDetailBits",
};

constexpr std::array<const char*, kTextCount> kKeys = [] {
  std::array<const char*, kTextCount> keys{};
  std::size_t i = 0;
  for (const char* key : kDesignedKeys) keys[i++] = key;
  for (const char* key : kDetailKeys) keys[i++] = key;
  return keys;
}();

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
