#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace tarsel::page {

// `text` as a JSON string for the page's script: a quote or a backslash must not end it early,
// and a control character (a line break in a message) must not make the whole answer unreadable.
inline std::string Quoted(std::string_view text) {
  std::string out = "\"";
  for (const char c : text) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (static_cast<unsigned char>(c) < 0x20) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned char>(c));
      out += escaped;
    } else {
      out += c;
    }
  }
  return out + "\"";
}

}  // namespace tarsel::page
