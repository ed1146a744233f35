// A request typed or pasted in one piece.
#include "core/addressinput.h"

#include "core/text.h"

namespace quorvane {

namespace {

constexpr bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

std::string_view Trimmed(std::string_view text) { return TrimIf(text, IsBlank); }

}  // namespace

std::optional<std::pair<std::string, std::string>> SplitAddressAndMask(std::string_view text) {
  text = Trimmed(text);
  std::size_t separator = 0;
  while (separator < text.size() && !IsBlank(text[separator]) && text[separator] != '/') ++separator;
  if (separator == 0 || separator == text.size()) return std::nullopt;

  const std::string_view address = text.substr(0, separator);
  std::string_view mask = Trimmed(text.substr(separator));
  if (mask.front() == '/') {
    const std::string_view afterSlash = Trimmed(mask.substr(1));
    if (afterSlash.empty()) return std::nullopt;
    // "/24" stays a prefix; "/255.255.255.0" is a dotted mask behind the slash that CIDR-minded tools write.
    if (afterSlash.find('.') != std::string_view::npos) mask = afterSlash;
  }
  return std::pair{std::string(address), std::string(mask)};
}

}  // namespace quorvane
