#include "export/memory.h"

#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>

namespace tarsel {

std::string NotEnoughMemory(int width, int height) {
  return "not enough memory for a " + std::to_string(width) + " x " + std::to_string(height) +
         " picture";
}

std::optional<std::uint64_t> AddressSpaceLeft() {
  struct rlimit limit;
  if (getrlimit(RLIMIT_AS, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) return std::nullopt;
  // The first number of /proc/self/statm: the pages mapped now.
  std::uint64_t pages = 0;
  std::ifstream("/proc/self/statm") >> pages;
  const std::uint64_t used = pages * static_cast<std::uint64_t>(sysconf(_SC_PAGESIZE));
  return limit.rlim_cur > used ? limit.rlim_cur - used : 0;
}

std::string ByteCount(std::uint64_t bytes) {
  char text[32];
  const double mb = static_cast<double>(bytes) / 1e6;
  if (mb < 1000) {
    std::snprintf(text, sizeof text, "%.0f MB", mb < 1 ? 1 : mb);
  } else {
    std::snprintf(text, sizeof text, "%.1f GB", mb / 1000);
  }
  return text;
}

}  // namespace tarsel
