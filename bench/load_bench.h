// The machine's load average, printed beside a benchmark's wall-clock figures: on a shared
// machine they mean little without it.
#pragma once

#include <cstdio>

namespace orvane::bench {

inline void PrintLoad() {
  double one = 0, five = 0, fifteen = 0;
  std::FILE* file = std::fopen("/proc/loadavg", "r");
  const bool read = file != nullptr && std::fscanf(file, "%lf %lf %lf", &one, &five, &fifteen) == 3;
  if (file != nullptr) std::fclose(file);
  if (read) {
    std::printf("load average: %.2f, %.2f, %.2f (1, 5, 15 min)\n", one, five, fifteen);
  } else {
    std::printf("load average: unknown\n");
  }
}

}  // namespace orvane::bench
