// random_hex_generator: the candidate's checks, the draw loop and the report.

#include "random_hex_generator.hpp"

#include <cerrno>
#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

int is_ascii_representable(std::uint64_t value) noexcept {
  // Byte 7 is tested like the rest, although among values that pass the
  // range check it can only be 0x3F or 0x40: it is the double's sign bit,
  // 0, and the top seven bits of its exponent field, which for a double in
  // (0.0001, 9999] lies in 1009..1036, so those bits are 63 or 64.
  for (unsigned k = 0; k < 8U; ++k) {
    const unsigned c = byte_at(value, k);
    if ((c < 0x20U || c > 0x7EU) && c != '\t' && c != '\n' && c != '\r') {
      return 0;
    }
  }
  return 1;
}

// With fewer than 31 bits a draw leaves the top byte of its half zero, a
// zero byte never passes the byte check, and the draw loop would never end.
static_assert(RAND_MAX >= 2147483647,
              "rand() must cover 0..2147483647: with a narrower RAND_MAX no "
              "candidate can pass the byte check and the draw loop never ends");

std::uint32_t draw() noexcept {
  // rand() is 0..RAND_MAX, 31 bits with glibc, so bits 31 and 63 of every
  // candidate are 0 and both halves and the double read as non-negative.
  // NOLINTNEXTLINE(cert-msc30-c,cert-msc50-cpp): the platform generator is the point
  return static_cast<std::uint32_t>(std::rand());
}

int is_accepted(std::uint32_t back, std::uint32_t front) noexcept {
  // The floats are read from the halves as they come, not from the
  // candidate: GCC does not see through forming it and taking it apart
  // again, and would shift the back half out of it once more.
  const std::uint64_t value = form_candidate(back, front);
  return is_valid(half_as_float(front), half_as_float(back), whole_double(value)) != 0 &&
                 is_ascii_representable(value) != 0
             ? 1
             : 0;
}

std::uint64_t draw_accepted() noexcept {
  for (;;) {
    // The first draw is the back half and the second the front half. They
    // are two statements because the order in which a call's arguments are
    // evaluated is unspecified.
    const std::uint32_t back = draw();
    const std::uint32_t front = draw();
    if (is_accepted(back, front) != 0) {
      return form_candidate(back, front);
    }
  }
}

void print_report(std::FILE* out, std::uint64_t value) noexcept {
  // PRIx64 is "lx" on a 64-bit host and "llx" on a 32-bit one: the same
  // digits either way.
  std::fprintf(out, "Random 8-byte Hex Value: %" PRIx64 "\n", value);
  std::fprintf(out, "Float (Front 4 Bytes): %f\n", static_cast<double>(front_float(value)));
  std::fprintf(out, "Float (Back 4 Bytes): %f\n", static_cast<double>(back_float(value)));
  std::fprintf(out, "Double: %lf\n", whole_double(value));
  std::fprintf(out, "Integer (Front 4 Bytes): %d\n", front_integer(value));
  std::fprintf(out, "Integer (Back 4 Bytes): %d\n", back_integer(value));
  // Byte 0 first: the storage order of a little-endian host, front half
  // first, the reverse of the byte pairs on the hexadecimal line. TAB, LF
  // and CR bytes are written raw.
  std::fprintf(out, "ASCII: ");
  for (unsigned k = 0; k < 8U; ++k) {
    std::fprintf(out, "%c ", static_cast<int>(byte_at(value, k)));
  }
  std::fprintf(out, "\n");
  std::fprintf(out, "Bits: ");
  for (unsigned i = 64; i-- > 0;) {
    std::fprintf(out, "%d", static_cast<int>(bit_at(value, i)));
  }
  std::fprintf(out, "\n");
}

void generate_and_validate() noexcept { print_report(stdout, draw_accepted()); }

int close_stdout() noexcept {
  // The report is far smaller than the stream's buffer, so a failed write
  // usually shows only here, when fclose flushes it: to a full device, a
  // closed descriptor or a broken pipe with SIGPIPE ignored.
  const bool earlier_error = std::ferror(stdout) != 0;
  const int earlier_errno = errno;  // what the failed write left
  errno = 0;
  const bool close_failed = std::fclose(stdout) != 0;
  if (!earlier_error && !close_failed) {
    return 0;
  }
  int why = close_failed ? errno : earlier_errno;
  if (why == 0) {
    why = EIO;
  }
  std::fprintf(stderr, "random_hex_generator: write error: %s\n", std::strerror(why));
  return 1;
}
