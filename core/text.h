// Small text rules shared by the readers of the program's files and sockets: hexadecimal digits, trimming
// and cutting UTF-8 without splitting a character. Plain C++, usable on any contiguous character view.
#pragma once

#include <cstddef>
#include <string_view>

namespace quorvane {

// The value of a hexadecimal digit, -1 for any other character.
constexpr int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The text without the leading and trailing characters for which `drop` holds. `View` is any view type
// constructible from a pointer and a length (std::string_view, QByteArrayView, QStringView).
template <typename View, typename Drop>
View TrimIf(View text, Drop drop) {
  std::size_t begin = 0;
  std::size_t end = std::size_t(text.size());
  while (begin < end && drop(text[begin])) ++begin;
  while (end > begin && drop(text[end - 1])) --end;
  return View(text.data() + begin, end - begin);
}

// The length of the longest start of `text`, at most `limit` bytes, that does not end inside a UTF-8
// sequence: a character that the limit would cut (or that the text itself leaves incomplete) is dropped
// whole.
constexpr std::size_t Utf8CutLength(std::string_view text, std::size_t limit) {
  const std::size_t n = text.size() < limit ? text.size() : limit;
  const auto continuation = [](char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; };
  std::size_t start = n;  // where the last character starts
  for (int k = 0; k < 3 && start > 0 && continuation(text[start - 1]); ++k) --start;
  if (start == 0) return n;  // nothing but continuation bytes: no character to complete
  const unsigned char first = static_cast<unsigned char>(text[--start]);
  if (first < 0xC0) return n;  // ASCII, or a stray continuation byte: nothing is cut
  const std::size_t needed = first >= 0xF0 ? 4 : first >= 0xE0 ? 3 : 2;
  return n - start < needed ? start : n;
}

}  // namespace quorvane
