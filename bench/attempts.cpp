// Prints, for each clock value given, how many attempts the program's draw
// loop makes before it accepts a value, with the generator seeded from that
// clock value as the program seeds it: "CLOCK ATTEMPTS", one line each.
//
// The loop is the module's own draw_accepted(). This program is linked with
// -Wl,--wrap=rand, so every rand() call the module makes goes through
// __wrap_rand below, which counts it; an attempt makes two.
//
// usage: attempts CLOCK...

#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "random_hex_generator.hpp"

namespace {
std::uint64_t rand_calls = 0;
}  // namespace

// The names are the linker's: --wrap=rand sends calls to rand there, and
// __real_rand is the platform's rand.
// NOLINTBEGIN(bugprone-reserved-identifier,cert-dcl37-c,cert-dcl51-cpp)
extern "C" int __real_rand();
extern "C" int __wrap_rand() {
  ++rand_calls;
  return __real_rand();
}
// NOLINTEND(bugprone-reserved-identifier,cert-dcl37-c,cert-dcl51-cpp)

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    const long long clock = std::strtoll(argv[i], nullptr, 10);
    std::srand(static_cast<unsigned>(clock));  // the low 32 bits, as main's seed
    rand_calls = 0;
    draw_accepted();
    std::printf("%lld %llu\n", clock, static_cast<unsigned long long>(rand_calls / 2));
  }
}
