// An unsigned 128-bit integer for IPv6 values, address counts and family-neutral block arithmetic.
#pragma once

#include <compare>
#include <cstdint>
#include <string>

namespace quorvane {

// Two 64-bit halves, most significant first, so that the defaulted comparison orders by value.
// Every operation wraps modulo 2^128 like the built-in unsigned types; shifts by 128 or more give 0.
struct U128 {
  std::uint64_t hi = 0;
  std::uint64_t lo = 0;

  constexpr U128() = default;
  constexpr U128(std::uint64_t high, std::uint64_t low) : hi(high), lo(low) {}
  // From a 32- or 64-bit value (an IPv4 address, a count): implicit, as the built-in widening is.
  constexpr U128(std::uint64_t low) : hi(0), lo(low) {}  // NOLINT(google-explicit-constructor)

  friend constexpr bool operator==(const U128&, const U128&) = default;
  friend constexpr std::strong_ordering operator<=>(const U128&, const U128&) = default;

  constexpr U128 operator~() const { return {~hi, ~lo}; }
  friend constexpr U128 operator&(U128 a, U128 b) { return {a.hi & b.hi, a.lo & b.lo}; }
  friend constexpr U128 operator|(U128 a, U128 b) { return {a.hi | b.hi, a.lo | b.lo}; }
  friend constexpr U128 operator^(U128 a, U128 b) { return {a.hi ^ b.hi, a.lo ^ b.lo}; }
  friend constexpr U128 operator+(U128 a, U128 b) {
    const std::uint64_t lo = a.lo + b.lo;
    return {a.hi + b.hi + (lo < a.lo ? 1 : 0), lo};
  }
  friend constexpr U128 operator-(U128 a, U128 b) {
    return {a.hi - b.hi - (a.lo < b.lo ? 1 : 0), a.lo - b.lo};
  }
  friend constexpr U128 operator<<(U128 a, int n) {
    if (n <= 0) return a;
    if (n >= 128) return {};
    if (n >= 64) return {a.lo << (n - 64), 0};
    return {(a.hi << n) | (a.lo >> (64 - n)), a.lo << n};
  }
  friend constexpr U128 operator>>(U128 a, int n) {
    if (n <= 0) return a;
    if (n >= 128) return {};
    if (n >= 64) return {0, a.hi >> (n - 64)};
    return {a.hi >> n, (a.lo >> n) | (a.hi << (64 - n))};
  }
  constexpr U128& operator+=(U128 b) { return *this = *this + b; }
  constexpr U128& operator-=(U128 b) { return *this = *this - b; }

  constexpr bool isZero() const { return hi == 0 && lo == 0; }
  // Bit i counted from the most significant (0) to the least significant (127) of `width` bits.
  constexpr bool bitFromTop(int i, int width = 128) const {
    return !((*this >> (width - 1 - i)) & U128(1)).isZero();
  }
};

// The value with the top `prefix` bits of a `width`-bit field set (width 32 for IPv4, 128 for IPv6).
constexpr U128 PrefixMask(int prefix, int width = 128) {
  if (prefix <= 0) return {};
  const U128 ones = width >= 128 ? ~U128() : (U128(1) << width) - U128(1);
  return ones & ~(ones >> prefix);
}

// 2^n for n in 0..127; 2^128 does not fit and is the caller's to special-case.
constexpr U128 PowerOfTwo(int n) { return U128(1) << n; }

// Number of trailing zero bits (128 for zero): the largest aligned block that starts at the value.
constexpr int CountTrailingZeros(U128 v) {
  if (v.lo != 0) return __builtin_ctzll(v.lo);
  if (v.hi != 0) return 64 + __builtin_ctzll(v.hi);
  return 128;
}

// Number of leading zero bits (128 for zero).
constexpr int CountLeadingZeros(U128 v) {
  if (v.hi != 0) return __builtin_clzll(v.hi);
  if (v.lo != 0) return 64 + __builtin_clzll(v.lo);
  return 128;
}

// The exact decimal text of the value.
inline std::string ToDecimal(U128 v) {
  if (v.isZero()) return "0";
  std::string digits;
  while (!v.isZero()) {
    // Divide by 10 in two 64-bit steps through 32-bit limbs, so no 128-bit built-in type is needed.
    std::uint64_t rem = 0;
    std::uint64_t parts[4] = {v.hi >> 32, v.hi & 0xFFFFFFFFu, v.lo >> 32, v.lo & 0xFFFFFFFFu};
    for (auto& part : parts) {
      const std::uint64_t cur = (rem << 32) | part;
      part = cur / 10;
      rem = cur % 10;
    }
    v = U128((parts[0] << 32) | parts[1], (parts[2] << 32) | parts[3]);
    digits.push_back(char('0' + rem));
  }
  return {digits.rbegin(), digits.rend()};
}

}  // namespace quorvane
