// The report of a value as a string, written through the module's own
// report function into a memory stream.

#ifndef REPORT_CAPTURE_HPP
#define REPORT_CAPTURE_HPP

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "random_hex_generator.hpp"

inline std::string report_of(std::uint64_t value) {
  char* buffer = nullptr;
  std::size_t size = 0;
  std::FILE* stream = open_memstream(&buffer, &size);
  if (stream == nullptr) {
    std::abort();
  }
  print_report(stream, value);
  std::fclose(stream);
  std::string report(buffer, size);
  std::free(buffer);
  return report;
}

#endif
