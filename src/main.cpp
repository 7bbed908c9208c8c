// random_hex_generator: print one random 8-byte value that is text, two sane
// floats and a sane double at once, under every reading.
//
// The generator is seeded with the second time() reads, so two runs that
// read the same second print the same value. It reads no argument, no
// standard input and no environment variable. The exit status is 0 when
// the report was written and 1 when it could not be.

#include <climits>
#include <cstdlib>
#include <ctime>

#include "random_hex_generator.hpp"

// With a 32-bit time_t, time() fails from 2038-01-19 on and every later run
// would seed the same value. 32-bit hosts are built with _TIME_BITS=64.
static_assert(sizeof(std::time_t) * CHAR_BIT >= 64,
              "time_t must be 64 bits: build with -D_TIME_BITS=64 -D_FILE_OFFSET_BITS=64");

int main() {
  // srand takes the low 32 bits of the time; a failed time(), -1, seeds
  // with 0xFFFFFFFF like any other value.
  // NOLINTNEXTLINE(cert-msc32-c,cert-msc51-cpp): seeding from the clock is the point
  std::srand(static_cast<unsigned>(std::time(nullptr)));
  generate_and_validate();
  return close_stdout();
}
