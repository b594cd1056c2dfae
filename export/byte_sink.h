#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace tarsel {

// Where an encoder's bytes go: a file for tarsel-render, memory for the page, which offers the
// bytes as a download. Errors are one line naming the cause.
class ByteSink {
 public:
  virtual ~ByteSink() = default;
  // Appends `bytes`; returns an empty string or the reason they could not be written.
  virtual std::string Write(std::span<const std::uint8_t> bytes) = 0;
  // After the last write: completes what was written (a file's buffered bytes reach the disk).
  virtual std::string Close() { return ""; }
};

// A file written through stdio's buffer, so that many small writes cost no system call each.
// A full disk shows at the latest when the file is closed.
class FileSink : public ByteSink {
 public:
  // Creates or truncates the file, with the permissions the user's umask gives any new file.
  std::string Open(const std::string& path);
  std::string Write(std::span<const std::uint8_t> bytes) override;
  std::string Close() override;

 private:
  std::string Failed(int error) const;

  struct Closer {
    void operator()(std::FILE* f) const { std::fclose(f); }
  };
  std::string path_;
  std::unique_ptr<std::FILE, Closer> file_;
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
