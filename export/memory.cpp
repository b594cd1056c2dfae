#include "export/memory.h"

#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>

#include "geometry/language.h"

namespace tarsel {

std::string NotEnoughMemory(int width, int height) {
  // TRANSLATORS: %1$s: the picture's width in pixels; %2$s: its height.
  return Fill(Tr("not enough memory for a %s x %s picture"),
              {std::to_string(width), std::to_string(height)});
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
  // Rounded up: a need shown as "2.0 GB" is never more than the 2.0 GB it is refused for.
  char text[32];
  if (bytes < 1'000'000'000) {
    std::snprintf(text, sizeof text, "%llu MB",
                  static_cast<unsigned long long>((bytes + 999'999) / 1'000'000));
  } else {
    std::snprintf(text, sizeof text, "%.1f GB",
                  static_cast<double>((bytes + 99'999'999) / 100'000'000) / 10);
  }
  return text;
}

}  // namespace tarsel
