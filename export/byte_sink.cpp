#include "export/byte_sink.h"

#include <cerrno>
#include <cstring>

namespace tarsel {

std::string FileSink::Open(const std::string& path) {
  path_ = path;
  file_.reset(std::fopen(path.c_str(), "wb"));
  if (!file_) return "cannot write '" + path + "': " + std::strerror(errno);
  return "";
}

std::string FileSink::Failed(int error) const {
  return "writing '" + path_ + "' failed: " + std::strerror(error);
}

std::string FileSink::Write(std::span<const std::uint8_t> bytes) {
  if (!file_) return Failed(EBADF);
  if (std::fwrite(bytes.data(), 1, bytes.size(), file_.get()) != bytes.size()) {
    return Failed(errno);
  }
  return "";
}

std::string FileSink::Close() {
  if (!file_) return "";
  const bool flushed = std::fflush(file_.get()) == 0 && !std::ferror(file_.get());
  const int flush_error = errno;
  const bool closed = std::fclose(file_.release()) == 0;
  if (!flushed) return Failed(flush_error);
  return closed ? "" : Failed(errno);
}

std::string MemorySink::Write(std::span<const std::uint8_t> bytes) {
  bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
  return "";
}

}  // namespace tarsel
