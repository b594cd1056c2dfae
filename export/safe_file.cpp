#include "export/safe_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <system_error>

#include "geometry/language.h"
#include "input/printable.h"

namespace tarsel {

namespace fs = std::filesystem;

namespace {

// pattern: a translated sentence with the path (quoted) and the system's cause, in that order.
std::string Cannot(const char* pattern, const std::string& path, int error) {
  return Fill(pattern, {Quoted(path), std::strerror(error)});
}

// The permissions a file or folder made now gets from the user's umask.
mode_t NewMode(mode_t mode) {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return mode & ~mask;
}

// A temporary name in `folder` that tells whose it is, within the file system's 255 bytes.
std::string TemporaryIn(const fs::path& folder, const std::string& name) {
  return (folder / ("." + name.substr(0, 200) + ".tarsel-XXXXXX")).string();
}

FileTarget TargetOfStat(fs::path path, const struct stat& st) {
  return {std::move(path), true, st.st_dev, st.st_ino, S_ISCHR(st.st_mode)};
}

// As many links in a row as the kernel follows before it gives up with ELOOP.
constexpr int kMostLinks = 40;

// Where a name leads when its last part is a symbolic link: the chain followed to its end, each
// relative link read from the folder that holds it. The end need not exist: a dangling link
// names the file it would lead to, and writing it makes that file (the link stays a link).
// A chain longer than the kernel follows is left where it stopped; opening it fails with ELOOP.
fs::path FollowLinks(const std::string& path) {
  fs::path at = path;
  for (int i = 0; i < kMostLinks; ++i) {
    std::error_code ec;
    if (!fs::is_symlink(fs::symlink_status(at, ec))) return at;
    const fs::path next = fs::read_symlink(at, ec);
    if (ec) return at;
    at = next.is_absolute() ? next : at.parent_path() / next;
  }
  return at;
}

}  // namespace

FileTarget TargetOf(const std::string& path) {
  std::error_code ec;
  struct stat st;
  if (::stat(path.c_str(), &st) == 0) {
    fs::path resolved = fs::canonical(path, ec);
    return TargetOfStat(ec ? fs::path(path) : resolved, st);
  }
  // Absolute first: a relative name of a file that does not exist would stay relative.
  fs::path resolved = fs::weakly_canonical(fs::absolute(FollowLinks(path), ec), ec);
  return {ec ? fs::path(path) : resolved};
}

FileTarget StandardOutputTarget() {
  struct stat st;
  if (::fstat(STDOUT_FILENO, &st) != 0) return {};
  return TargetOfStat(fs::path(), st);
}

// ------------------------------------------------------------------------------------------
// One file

std::string SafeFile::Open(const std::string& path) {
  path_ = path;
  struct stat st;
  mode_t mode = NewMode(0666);
  const bool existing = ::stat(path.c_str(), &st) == 0;
  if (existing) {
    // TRANSLATORS: %1$s: a file's name (quoted); %2$s: the system's reason (English).
    if (S_ISDIR(st.st_mode)) return Cannot(Tr("cannot write %s: %s"), path, EISDIR);
    if (!S_ISREG(st.st_mode)) {
      // A device or a pipe: written in place, it has no earlier bytes to lose.
      in_place_ = true;
      fd_ = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
      return fd_ < 0 ? Cannot(Tr("cannot write %s: %s"), path, errno) : "";
    }
    // A file the user may not write stays as it is, although its folder would allow a rename.
    if (::access(path.c_str(), W_OK) != 0) return Cannot(Tr("cannot write %s: %s"), path, errno);
    mode = st.st_mode & 07777;
  } else if (errno != ENOENT) {
    return Cannot(Tr("cannot write %s: %s"), path, errno);
  }
  target_ = TargetOf(path).path;
  temporary_ = TemporaryIn(target_.parent_path(), target_.filename().string());
  fd_ = ::mkostemp(temporary_.data(), O_CLOEXEC);
  if (fd_ < 0) {
    temporary_.clear();
    return Cannot(Tr("cannot write %s: %s"), path, errno);
  }
  // mkstemp makes the file private; it gets the permissions the target has, or a new file's.
  ::fchmod(fd_, mode);
  if (existing && ::fchown(fd_, st.st_uid, st.st_gid) != 0) {
    // Only the superuser may give a file away; a user's own file stays the user's anyway.
  }
  return "";
}

std::FILE* SafeFile::stream() {
  if (!stream_ && fd_ >= 0) {
    stream_ = ::fdopen(fd_, "wb");
    if (stream_) {
      // Writers write many small pieces: one system call per 64 KiB.
      buffer_.resize(1 << 16);
      std::setvbuf(stream_, buffer_.data(), _IOFBF, buffer_.size());
    }
  }
  return stream_;
}

std::string SafeFile::Failed(int error) const {
  // TRANSLATORS: %1$s: a file's name (quoted); %2$s: the system's reason (English).
  return Fill(Tr("writing %s failed: %s"), {Quoted(path_), std::strerror(error ? error : EIO)});
}

std::string SafeFile::Complete() {
  if (fd_ < 0) return "";
  int error = 0;
  if (stream_) {
    if (std::fflush(stream_) != 0 || std::ferror(stream_)) error = errno ? errno : EIO;
  }
  // A device or a pipe cannot be synced, and need not be.
  if (!error && !in_place_ && ::fsync(fd_) != 0) error = errno;
  const int closed = stream_ ? std::fclose(stream_) : ::close(fd_);
  if (!error && closed != 0) error = errno;
  stream_ = nullptr;
  fd_ = -1;
  return error ? Failed(error) : "";
}

std::string SafeFile::Commit() {
  if (std::string error = Complete(); !error.empty()) return error;
  if (in_place_ || committed_ || temporary_.empty()) return "";
  if (::rename(temporary_.c_str(), target_.c_str()) != 0) return Failed(errno);
  committed_ = true;
  return "";
}

void SafeFile::Discard() {
  if (stream_) {
    std::fclose(stream_);
  } else if (fd_ >= 0) {
    ::close(fd_);
  }
  stream_ = nullptr;
  fd_ = -1;
  if (!committed_ && !in_place_ && !temporary_.empty()) ::unlink(temporary_.c_str());
  temporary_.clear();
}

std::string FileSink::Open(const std::string& path) {
  std::string error = file_.Open(path);
  if (error.empty() && !file_.stream()) error = file_.Failed(errno);
  return error;
}

std::string FileSink::Write(std::span<const std::uint8_t> bytes) {
  std::FILE* out = file_.stream();
  if (!out) return file_.Failed(EBADF);
  if (std::fwrite(bytes.data(), 1, bytes.size(), out) != bytes.size()) return file_.Failed(errno);
  return "";
}

// ------------------------------------------------------------------------------------------
// A folder of files

std::string SafeFolder::Open(const std::string& dir) {
  path_ = dir;
  std::error_code ec;
  target_ = fs::weakly_canonical(fs::absolute(FollowLinks(dir), ec), ec);
  // TRANSLATORS: %1$s: a folder's name (quoted); %2$s: the system's reason (English).
  if (ec) return Cannot(Tr("cannot create %s: %s"), dir, ec.value());
  // The nearest folder that exists: the target itself, or the one the target is to be made in.
  fs::path base = target_;
  struct stat st;
  while (::stat(base.c_str(), &st) != 0) {
    if (errno != ENOENT || base == base.parent_path())
      return Cannot(Tr("cannot create %s: %s"), dir, errno);
    base = base.parent_path();
  }
  existed_ = base == target_;
  if (!S_ISDIR(st.st_mode)) {
    // TRANSLATORS: %s: a folder's name (quoted), which is a file.
    return existed_ ? Fill(Tr("%s exists and is not a directory"), {Quoted(dir)})
                    : Cannot(Tr("cannot create %s: %s"), dir, ENOTDIR);
  }
  std::string staging = (base / ".tarsel-frames-XXXXXX").string();
  if (!::mkdtemp(staging.data())) {
    // TRANSLATORS: %1$s: a folder's name (quoted); %2$s: the system's reason (English).
    return Cannot(existed_ ? Tr("cannot write into %s: %s") : Tr("cannot create %s: %s"), dir,
                  errno);
  }
  staging_ = staging;
  return "";
}

std::string SafeFolder::Complete() {
  const int fd = ::open(staging_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return Cannot(Tr("cannot write into %s: %s"), path_, errno);
  // One call for the whole folder: a sync for each of hundreds of files would take longer
  // than the export.
  const int synced = ::syncfs(fd);
  const int error = errno;
  ::close(fd);
  return synced == 0 ? "" : Cannot(Tr("cannot write into %s: %s"), path_, error);
}

std::string SafeFolder::Commit(const std::vector<std::string>& stale) {
  std::error_code ec;
  if (!fs::exists(target_, ec)) {
    fs::create_directories(target_.parent_path(), ec);
    if (ec) return Cannot(Tr("cannot create %s: %s"), path_, ec.value());
    ::chmod(staging_.c_str(), NewMode(0777));
    if (::rename(staging_.c_str(), target_.c_str()) != 0) {
      return Cannot(Tr("cannot create %s: %s"), path_, errno);
    }
    committed_ = true;
    return "";
  }
  for (const auto& entry : fs::directory_iterator(staging_, ec)) {
    if (::rename(entry.path().c_str(), (target_ / entry.path().filename()).c_str()) != 0) {
      return Cannot(Tr("cannot write into %s: %s"), path_, errno);
    }
  }
  if (ec) return Cannot(Tr("cannot write into %s: %s"), path_, ec.value());
  for (const std::string& name : stale) {
    if (::unlink((target_ / name).c_str()) != 0 && errno != ENOENT) {
      // TRANSLATORS: %1$s: a file's name (quoted); %2$s: the system's reason (English).
      return Cannot(Tr("cannot remove %s: %s"), (fs::path(path_) / name).string(), errno);
    }
  }
  Discard();
  committed_ = true;
  return "";
}

void SafeFolder::Discard() {
  if (committed_ || staging_.empty()) return;
  std::error_code ignored;
  fs::remove_all(staging_, ignored);
  staging_.clear();
}

}  // namespace tarsel
