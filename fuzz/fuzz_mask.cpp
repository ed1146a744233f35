// Fuzz target of the mask field reader and the prefix number rule.
//
// Invariants, for every text and every form recorded before the read:
// - the reader never crashes and raises nothing but ConvertError, and that only for a text starting with "/";
// - the result is kInvalid or a contiguous mask of prefix 1..31 (prefix 32 is all ones, the invalid marker);
// - an empty text and a ConvertError leave the recorded form as it was; otherwise the first character
//   decides it ("/" prefix, "0" inverted, anything else dotted);
// - the number rule agrees with a reference built on std::from_chars, and a "/" text reads as the mask of
//   the number that remains once every "/" is removed;
// - a valid mask written back in its form reads as the same mask in the same form (the inverted form only
//   from /8 on: below that its first octet does not start with "0").
#include <charconv>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/exception.h"
#include "core/mask.h"
#include "fuzz/fuzzcheck.h"

using namespace quorvane;

namespace {

bool isHexDigit(char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

// The prefix number rule written independently of the reader: nullopt where it must refuse the text.
std::optional<std::int32_t> referenceNumber(std::string_view text) {
  std::size_t i = text.find_first_not_of(' ');
  if (i == std::string_view::npos) return std::nullopt;
  text.remove_prefix(i);
  bool negative = false;
  if (text.front() == '+' || text.front() == '-') {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  bool hex = false;
  if (!text.empty() && (text.front() == '$' || text.front() == 'x' || text.front() == 'X')) {
    hex = true;
    text.remove_prefix(1);
  } else if (text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    hex = true;
    text.remove_prefix(2);
  }
  if (text.empty()) return std::nullopt;
  if (hex) {
    for (const char c : text)
      if (!isHexDigit(c)) return std::nullopt;
    const std::size_t firstSignificant = text.find_first_not_of('0');
    const std::string_view digits =
        firstSignificant == std::string_view::npos ? std::string_view("0") : text.substr(firstSignificant);
    if (digits.size() > 8) return std::nullopt;
    std::uint32_t value = 0;
    std::from_chars(digits.data(), digits.data() + digits.size(), value, 16);
    return static_cast<std::int32_t>(negative ? 0u - value : value);
  }
  for (const char c : text)
    if (c < '0' || c > '9') return std::nullopt;
  std::int64_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, 10);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  if (negative) value = -value;
  if (value < INT32_MIN || value > INT32_MAX) return std::nullopt;
  return static_cast<std::int32_t>(value);
}

std::optional<std::int32_t> parsedNumber(std::string_view text) {
  try {
    return ParsePrefixNumber(text);
  } catch (const ConvertError&) {
    return std::nullopt;
  }
}

MaskForm formOfText(std::string_view text) {
  return text.front() == '/' ? MaskForm::Prefix : text.front() == '0' ? MaskForm::Inverted : MaskForm::Dotted;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);

  FUZZ_CHECK(parsedNumber(text) == referenceNumber(text), "the number rule disagrees with the reference");

  for (const MaskForm before : {MaskForm::Dotted, MaskForm::Inverted, MaskForm::Prefix}) {
    MaskForm form = before;
    Ipv4 mask = kInvalid;
    bool refused = false;
    try {
      mask = ReadMask(text, form);
    } catch (const ConvertError&) {
      refused = true;
    }
    if (refused || text.empty()) {
      FUZZ_CHECK(form == before, "the recorded form changed without a mask");
      FUZZ_CHECK(!refused || text.front() == '/', "ConvertError for a text that is no prefix");
      FUZZ_CHECK(refused || mask == kInvalid, "an empty text gave a mask");
      continue;
    }
    FUZZ_CHECK(form == formOfText(text), "the first character did not decide the form");
    if (mask != kInvalid) {
      const int prefix = MaskToPrefix(mask);
      FUZZ_CHECK(prefix >= 1 && prefix <= 31, "a mask outside /1../31");
      FUZZ_CHECK(PrefixToMask(prefix) == mask, "a mask with gaps");
    }
    if (form == MaskForm::Prefix) {
      std::string number;
      for (const char c : text)
        if (c != '/') number += c;
      const std::optional<std::int32_t> p = referenceNumber(number);
      FUZZ_CHECK(p.has_value(), "a prefix text the number rule refuses gave no ConvertError");
      FUZZ_CHECK(mask == (*p >= 1 && *p <= 31 ? PrefixToMask(*p) : kInvalid), "the prefix read wrong");
    }
    if (mask == kInvalid || (form == MaskForm::Inverted && MaskToPrefix(mask) < 8)) continue;
    const std::string written = WriteMask(mask, form);
    MaskForm reread = before;
    FUZZ_CHECK(ReadMask(written, reread) == mask, written.c_str());
    FUZZ_CHECK(reread == form, written.c_str());
  }
  return 0;
}
