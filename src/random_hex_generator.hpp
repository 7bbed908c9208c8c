// random_hex_generator: draw a random 8-byte value that reads at once as text,
// as two sane binary32 floats and as a sane binary64 double, and report it
// under every reading.
//
// A candidate is a 64-bit unsigned integer. Every reading below takes it by
// value and is a shift or a std::bit_cast of the integer, never a look at its
// storage, so a host of either byte order reads and prints the same bits.
// Bit 0 is the least significant bit; byte k is bits 8k+7..8k.

#ifndef RANDOM_HEX_GENERATOR_HPP
#define RANDOM_HEX_GENERATOR_HPP

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstdio>
#include <limits>

// The candidate made of two draws: the first in bits 63..32 (the back half),
// the second in bits 31..0 (the front half, the first four bytes of the value
// in little-endian storage).
constexpr std::uint64_t form_candidate(std::uint32_t first_draw,
                                       std::uint32_t second_draw) noexcept {
  return (std::uint64_t{first_draw} << 32U) | second_draw;
}

constexpr std::uint32_t front_half(std::uint64_t value) noexcept {
  return static_cast<std::uint32_t>(value);
}

constexpr std::uint32_t back_half(std::uint64_t value) noexcept {
  return static_cast<std::uint32_t>(value >> 32U);
}

// A half read as an IEEE 754 binary32 float.
constexpr float half_as_float(std::uint32_t half) noexcept { return std::bit_cast<float>(half); }

constexpr float front_float(std::uint64_t value) noexcept {
  return half_as_float(front_half(value));
}

constexpr float back_float(std::uint64_t value) noexcept { return half_as_float(back_half(value)); }

constexpr double whole_double(std::uint64_t value) noexcept { return std::bit_cast<double>(value); }

constexpr std::int32_t front_integer(std::uint64_t value) noexcept {
  return std::bit_cast<std::int32_t>(front_half(value));
}

constexpr std::int32_t back_integer(std::uint64_t value) noexcept {
  return std::bit_cast<std::int32_t>(back_half(value));
}

// Byte k, for k = 0 (least significant) to 7.
constexpr unsigned byte_at(std::uint64_t value, unsigned k) noexcept {
  return static_cast<unsigned>(value >> (8U * k)) & 0xFFU;
}

// Bit i, for i = 0 (least significant) to 63: 0 or 1.
constexpr unsigned bit_at(std::uint64_t value, unsigned i) noexcept {
  return static_cast<unsigned>(value >> i) & 1U;
}

// The range check: 1 when the front float, the back float and the whole
// double all lie in (0.0001, 9999], 0 otherwise. NaN, zeros, negatives,
// subnormals and infinities all fail, and a float is widened exactly to
// binary64 before it is compared with 0.0001.
//
// The draw loop runs it on every attempt. About half of all halves are at
// most 9999, but only one in ten lies in the range, so a branch on each
// comparison would go either way at random. Instead each reading is tested
// as its bit pattern read as an unsigned integer. That is exact: IEEE 754
// orders non-negative numbers as their patterns, and -0, negative numbers
// (sign bit set), infinity and NaN all read as integers above 9999's
// pattern. For unsigned x and lo <= hi,
//   lo <= x && x <= hi   holds exactly when   x - lo <= hi - lo,
// because x - lo wraps round to above hi - lo for every x below lo. So one
// comparison tests both bounds, lo being the first pattern above the lower
// bound and hi 9999's, and the two halves share one through the larger of
// their offsets. The draw loop is left with a branch that almost always
// goes the same way.
static_assert(std::numeric_limits<float>::is_iec559 && std::numeric_limits<double>::is_iec559,
              "the range check reads floats and doubles as IEEE 754 bit patterns");
constexpr int is_valid(float front, float back, double whole) noexcept {
  // The binary32 nearest to 1e-4 lies just below the binary64 0.0001, so
  // the first binary32 above the lower bound is the next one.
  constexpr auto float_first = std::bit_cast<std::uint32_t>(0.0001F) + 1U;
  static_assert(static_cast<double>(std::bit_cast<float>(float_first - 1U)) <= 0.0001 &&
                static_cast<double>(std::bit_cast<float>(float_first)) > 0.0001);
  constexpr auto float_last = std::bit_cast<std::uint32_t>(9999.0F);
  constexpr auto double_first = std::bit_cast<std::uint64_t>(0.0001) + 1U;
  constexpr auto double_last = std::bit_cast<std::uint64_t>(9999.0);
  const std::uint32_t front_offset = std::bit_cast<std::uint32_t>(front) - float_first;
  const std::uint32_t back_offset = std::bit_cast<std::uint32_t>(back) - float_first;
  const std::uint64_t whole_offset = std::bit_cast<std::uint64_t>(whole) - double_first;
  return std::max(front_offset, back_offset) <= float_last - float_first &&
                 whole_offset <= double_last - double_first
             ? 1
             : 0;
}

// The byte check: 1 when each of the eight bytes is printable ASCII
// (0x20..0x7E) or TAB, LF or CR, 0 otherwise.
int is_ascii_representable(std::uint64_t value) noexcept;

// Both checks, the range check first, on the candidate formed from the
// first draw (back) and the second (front): 1 when it is accepted.
int is_accepted(std::uint32_t back, std::uint32_t front) noexcept;

// One draw from the seeded platform generator, 0 to 2147483647.
std::uint32_t draw() noexcept;

// Draws candidates until one passes both checks and returns it. Expects the
// generator to be seeded already.
std::uint64_t draw_accepted() noexcept;

// Writes the eight-line report of value to out.
void print_report(std::FILE* out, std::uint64_t value) noexcept;

// Draws the accepted value and writes its report to standard output.
void generate_and_validate() noexcept;

// Flushes and closes standard output, as the last thing a run does. Returns
// 0 when all that was written reached it; otherwise says why on standard
// error and returns 1.
int close_stdout() noexcept;

#endif
