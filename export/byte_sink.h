#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace tarsel {

// Where an encoder's bytes go: a file for tarsel-render (FileSink, export/safe_file.h), memory
// for the page, which offers the bytes as a download. Errors are one line naming the cause.
class ByteSink {
 public:
  virtual ~ByteSink() = default;
  // Appends `bytes`; returns an empty string or the reason they could not be written.
  virtual std::string Write(std::span<const std::uint8_t> bytes) = 0;
  // After the last write: completes what was written (a file's buffered bytes reach the disk).
  virtual std::string Close() { return ""; }
};

// The bytes in memory.
class MemorySink : public ByteSink {
 public:
  std::string Write(std::span<const std::uint8_t> bytes) override;
  const std::vector<std::uint8_t>& bytes() const { return bytes_; }

 private:
  std::vector<std::uint8_t> bytes_;
};

}  // namespace tarsel
