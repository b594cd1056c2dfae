#include "input/printable.h"

#include <cstdint>
#include <cstdio>

namespace tarsel {

namespace {

// The length of the well-formed UTF-8 sequence of two or more bytes at the start of `s` that
// encodes a character from U+00A0 up (no C1 control, no surrogate, no overlong form), or 0.
std::size_t Utf8Printable(std::string_view s) {
  const auto byte = [&](std::size_t i) { return static_cast<std::uint8_t>(s[i]); };
  const std::uint8_t lead = byte(0);
  std::size_t n = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 ? 2 : 0;
  if (n == 0 || lead > 0xF4 || s.size() < n) return 0;
  char32_t c = lead & (0x7F >> n);
  for (std::size_t i = 1; i < n; ++i) {
    if ((byte(i) & 0xC0) != 0x80) return 0;
    c = c << 6 | (byte(i) & 0x3F);
  }
  const char32_t least[] = {0, 0, 0xA0, 0x800, 0x10000};
  if (c < least[n] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return 0;
  return n;
}

}  // namespace

std::string Printable(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  for (std::size_t i = 0; i < bytes.size();) {
    const auto b = static_cast<std::uint8_t>(bytes[i]);
    if (b == '\\') {
      out += "\\\\";
      ++i;
    } else if (b >= 0x20 && b < 0x7F) {
      out += static_cast<char>(b);
      ++i;
    } else if (const std::size_t n = Utf8Printable(bytes.substr(i))) {
      out.append(bytes.substr(i, n));
      i += n;
    } else {
      char hex[5];
      std::snprintf(hex, sizeof hex, "\\x%02X", b);
      out += hex;
      ++i;
    }
  }
  return out;
}

}  // namespace tarsel
