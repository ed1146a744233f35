// A request typed or pasted in one piece: an address and its mask in one text, as people copy them from
// documents, routing tables and other tools ("192.168.1.0/24", "192.168.1.0 255.255.255.0").
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace quorvane {

// Splits "address mask" text into the text of the address field and the text of the mask field. Blanks,
// tabs and line breaks around the whole text are dropped. The address is what comes before the first blank,
// tab, line break or "/"; the mask is the rest without the blanks around it, as written:
//   "192.168.1.0/24"               -> "192.168.1.0", "/24"
//   "192.168.1.0 /24"              -> "192.168.1.0", "/24"
//   "192.168.1.0 255.255.255.0"    -> "192.168.1.0", "255.255.255.0"  (a tab or line break works alike)
//   "192.168.1.0/255.255.255.0"    -> "192.168.1.0", "255.255.255.0"  (a dotted mask after "/" loses it, so
//                                                                      that the mask field reads it dotted)
// Neither part is checked: a faulty one reaches its field as written, and the calculation says what is
// wrong with it. Text without such a separator, or with nothing before or after it, is no pair: nullopt.
std::optional<std::pair<std::string, std::string>> SplitAddressAndMask(std::string_view text);

}  // namespace quorvane
