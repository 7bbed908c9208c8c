// Benchmarks of the draw loop: what two rand() draws cost, what one attempt
// through the module's own functions costs on top of them, how many
// attempts a run makes per accepted value, and how often the byte check
// runs at all.

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>

#include "random_hex_generator.hpp"

namespace {

// One attempt of the draw loop: two draws, the range check and, when that
// passes, the byte check.
int attempt() {
  const std::uint32_t back = draw();
  const std::uint32_t front = draw();
  return is_accepted(back, front);
}

// The floor: two bare rand() draws.
void bare_rand_draws(benchmark::State& state) {
  std::srand(1);
  for (auto _ : state) {
    benchmark::DoNotOptimize(std::rand());
    benchmark::DoNotOptimize(std::rand());
  }
}
BENCHMARK(bare_rand_draws);

void one_attempt(benchmark::State& state) {
  std::srand(1);
  for (auto _ : state) {
    benchmark::DoNotOptimize(attempt());
  }
}
BENCHMARK(one_attempt);

// Attempts and floors in alternating blocks, so that drift in the machine's
// speed falls on both alike; reports the attempt's cost over the floor's.
void attempt_over_floor(benchmark::State& state) {
  using clock = std::chrono::steady_clock;
  constexpr int block = 1 << 14;
  std::srand(1);
  clock::duration floor_time{};
  clock::duration attempt_time{};
  for (auto _ : state) {
    const clock::time_point start = clock::now();
    for (int i = 0; i < block; ++i) {
      benchmark::DoNotOptimize(std::rand());
      benchmark::DoNotOptimize(std::rand());
    }
    const clock::time_point middle = clock::now();
    for (int i = 0; i < block; ++i) {
      benchmark::DoNotOptimize(attempt());
    }
    const clock::time_point end = clock::now();
    floor_time += middle - start;
    attempt_time += end - middle;
  }
  const double attempts = static_cast<double>(state.iterations()) * block;
  const auto ns = [](clock::duration d) {
    return std::chrono::duration<double, std::nano>(d).count();
  };
  state.counters["floor_ns"] = ns(floor_time) / attempts;
  state.counters["attempt_ns"] = ns(attempt_time) / attempts;
  state.counters["ratio"] = ns(attempt_time) / ns(floor_time);
}
BENCHMARK(attempt_over_floor)->Unit(benchmark::kMillisecond);

// The range check alone on one attempt's two draws.
int range_check() {
  const std::uint32_t back = draw();
  const std::uint32_t front = draw();
  return is_valid(half_as_float(front), half_as_float(back),
                  whole_double(form_candidate(back, front)));
}

// How many of state.range(0) attempts, from a fixed seed, pass check.
template <int (*check)()>
std::int64_t passes(benchmark::State& state) {
  const auto attempts = static_cast<std::int64_t>(state.range(0));
  std::int64_t passed = 0;
  for (auto _ : state) {
    std::srand(1);
    passed = 0;
    for (std::int64_t i = 0; i < attempts; ++i) {
      passed += check();
    }
  }
  return passed;
}

double attempts_per(const benchmark::State& state, std::int64_t passed) {
  return passed != 0 ? static_cast<double>(state.range(0)) / static_cast<double>(passed) : 0.0;
}

// Accepted values over a fixed number of attempts, from a fixed seed.
void attempts_per_accepted(benchmark::State& state) {
  const std::int64_t accepted = passes<attempt>(state);
  state.counters["accepted"] = static_cast<double>(accepted);
  state.counters["attempts_per_accepted"] = attempts_per(state, accepted);
  state.counters["attempts_per_second"] = benchmark::Counter(
      static_cast<double>(state.range(0)), benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(attempts_per_accepted)->Arg(400'000'000)->Iterations(1)->Unit(benchmark::kMillisecond);

// How often the range check passes, so how often the byte check runs.
void attempts_per_range_pass(benchmark::State& state) {
  const std::int64_t passed = passes<range_check>(state);
  state.counters["range_passes"] = static_cast<double>(passed);
  state.counters["attempts_per_range_pass"] = attempts_per(state, passed);
}
BENCHMARK(attempts_per_range_pass)->Arg(20'000'000)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
