#include "export/byte_sink.h"

namespace tarsel {

std::string MemorySink::Write(std::span<const std::uint8_t> bytes) {
  bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
  return "";
}

}  // namespace tarsel
