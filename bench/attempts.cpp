// Prints, for each clock value given, how many attempts the draw loop makes
// before it accepts a value, with the generator seeded from that clock
// value as the program seeds it: "CLOCK ATTEMPTS", one line each.
//
// usage: attempts CLOCK...

#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "random_hex_generator.hpp"

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    const long long clock = std::strtoll(argv[i], nullptr, 10);
    std::srand(static_cast<unsigned>(clock));  // the low 32 bits, as main's seed
    std::uint64_t attempts = 1;
    for (;;) {
      const std::uint32_t back = draw();
      const std::uint32_t front = draw();
      if (is_accepted(back, front) != 0) {
        break;
      }
      ++attempts;
    }
    std::printf("%lld %llu\n", clock, static_cast<unsigned long long>(attempts));
  }
}
