#pragma once

#include <cstdint>
#include <string_view>

namespace tarsel::testing {

// FNV-1a, 64 bits: the same value on every platform and compiler, for pinning long outputs
// (draw logs, file bytes) in a test.
inline std::uint64_t Fnv1a(std::string_view bytes) {
  std::uint64_t h = 14695981039346656037ull;
  for (const unsigned char c : bytes) {
    h ^= c;
    h *= 1099511628211ull;
  }
  return h;
}

}  // namespace tarsel::testing
