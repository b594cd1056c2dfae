#include "export/float_text.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstring>

namespace tarsel {

namespace {

// The text of recent numbers by their bits. Most come back again and again (the axis and its
// ticks after each of the 200 trace points, both profiles, the piston curve), so most are
// copied from here instead of being formatted again.
struct Texts {
  static constexpr int kBits = 13;
  struct Entry {
    std::uint32_t bits = 0;
    std::uint8_t size = 0;  // 0: empty
    char text[kFloatTextMax];
  };
  Entry entries[1 << kBits];
};

}  // namespace

char* PutFloat(char* at, char* end, float v) {
  // One per thread: replays may run side by side.
  thread_local Texts cache;
  std::uint32_t bits;
  std::memcpy(&bits, &v, sizeof bits);
  Texts::Entry& e = cache.entries[(bits * 2654435761u) >> (32 - Texts::kBits)];
  if (e.size == 0 || e.bits != bits) {
#if defined(__cpp_lib_to_chars) && __cpp_lib_to_chars >= 201611L
    const char* last = std::to_chars(e.text, e.text + sizeof e.text, static_cast<double>(v),
                                     std::chars_format::general, 9)
                           .ptr;
    const auto size = last - e.text;
#else
    char text[32];
    const int size = std::snprintf(text, sizeof text, "%.9g", static_cast<double>(v));
    std::memcpy(e.text, text, sizeof e.text);
#endif
    e.bits = bits;
    e.size = static_cast<std::uint8_t>(size);
  }
  if (end - at < kFloatTextMax) return at;
  return std::copy_n(e.text, e.size, at);
}

}  // namespace tarsel
