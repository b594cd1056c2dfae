#pragma once

#include <sys/types.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "export/byte_sink.h"

namespace tarsel {

// What an output's name refers to once symbolic links and "." and ".." are resolved, so that
// two outputs that would write one file can be told apart before anything is written.
struct FileTarget {
  std::filesystem::path path;  // resolved; empty for standard output
  bool exists = false;         // then dev and ino say which file it is
  dev_t dev = 0;
  ino_t ino = 0;
  bool device = false;  // a character device such as /dev/null: it keeps no bytes to lose

  // The same file: the same resolved name, or two names of one existing file. Outputs that
  // all go to one device (two of them to /dev/null, to keep neither) lose nothing.
  bool SameAs(const FileTarget& o) const {
    if (device && o.device) return false;
    return (!path.empty() && path == o.path) ||
           (exists && o.exists && dev == o.dev && ino == o.ino);
  }
};

// The target of a file name. A symbolic link names the file at the end of its chain, also when
// that file does not exist yet (a dangling link): writing the link makes that file.
FileTarget TargetOf(const std::string& path);
// The target of standard output, for a draw log written there.
FileTarget StandardOutputTarget();

// One output file, written so that a teacher's earlier file is never lost: the bytes go to a
// temporary file beside the target (".NAME.tarsel-XXXXXX", in the same folder, so that the
// rename cannot cross a file system), and Commit() renames it onto the target once it is
// complete. Until then the target is not touched, and a SafeFile that is destroyed without a
// commit (a refused, failed or interrupted run) removes its temporary file: the target keeps
// its bytes, or stays absent.
//
// A symbolic link, dangling or not, is written at the end of its chain: the temporary file goes
// in that file's folder and is renamed onto it, and the link stays a link.
//
// Something that is not a regular file (a device such as /dev/null, a pipe) is written in
// place: it holds no earlier bytes to keep, and cannot be renamed onto.
//
// Every message is one line that names the file as the user gave it, with its bytes escaped
// where they are not printable, and the cause in the system's words.
class SafeFile {
 public:
  SafeFile() = default;
  ~SafeFile() { Discard(); }
  SafeFile(const SafeFile&) = delete;
  SafeFile& operator=(const SafeFile&) = delete;

  // Checks that `path` can be written (a folder, a file the user may not write and a folder
  // that does not exist or cannot be written are refused) and creates the temporary file.
  // Returns an empty string or the reason.
  std::string Open(const std::string& path);

  // The temporary file as a buffered stream, for writers that write to one.
  std::FILE* stream();
  // The temporary file's name, for a library that opens files by name (FFmpeg); it must have
  // closed the file again before Complete().
  const std::string& temporary() const { return in_place_ ? path_ : temporary_; }
  // The name the user gave.
  const std::string& path() const { return path_; }

  // "writing 'NAME' failed: CAUSE", for writers that find a write failed with `error` (errno).
  std::string Failed(int error) const;

  // The bytes written so far reach the disk, and the stream is closed: the file is complete
  // under its temporary name. Returns an empty string or why not (a full disk shows here at
  // the latest).
  std::string Complete();
  // Completes the file and renames it onto its target.
  std::string Commit();
  // Removes the temporary file, unless committed.
  void Discard();

 private:
  std::string path_;
  std::filesystem::path target_;
  std::string temporary_;
  int fd_ = -1;
  std::FILE* stream_ = nullptr;
  std::vector<char> buffer_;
  bool in_place_ = false;
  bool committed_ = false;
};

// A GIF writer's bytes into a SafeFile, through stdio's buffer.
class FileSink : public ByteSink {
 public:
  std::string Open(const std::string& path);
  std::string Write(std::span<const std::uint8_t> bytes) override;
  // The bytes are complete, under the temporary name.
  std::string Close() override { return file_.Complete(); }
  // Puts the file in place of any earlier one.
  std::string Commit() { return file_.Commit(); }
  void Discard() { file_.Discard(); }

 private:
  SafeFile file_;
};

// A folder of output files written the same way: the files go to a temporary folder
// (".tarsel-frames-XXXXXX") inside the target folder (where a symbolic link leads), or beside it
// while it does not exist, and
// Commit() moves them in together. A run that stops before leaves the folder as it was, and
// never a mixture of two exports.
class SafeFolder {
 public:
  SafeFolder() = default;
  ~SafeFolder() { Discard(); }
  SafeFolder(const SafeFolder&) = delete;
  SafeFolder& operator=(const SafeFolder&) = delete;

  // Checks that `dir` is a folder or can be made one, and creates the temporary folder.
  // Returns an empty string or the reason.
  std::string Open(const std::string& dir);

  // Where the files are written until the commit.
  const std::filesystem::path& staging() const { return staging_; }
  // The target folder, resolved, and whether it existed at Open().
  const std::filesystem::path& target() const { return target_; }
  bool existed() const { return existed_; }
  const std::string& path() const { return path_; }

  // The staged files reach the disk. Returns an empty string or why not.
  std::string Complete();
  // Moves the staged files into the target folder (over files of the same names), then
  // removes the files named `stale` from it. A folder that did not exist is made by renaming
  // the temporary one, with the folders above it that are missing.
  std::string Commit(const std::vector<std::string>& stale);
  // Removes the temporary folder and its files, unless committed.
  void Discard();

 private:
  std::string path_;
  std::filesystem::path target_;
  std::filesystem::path staging_;
  bool existed_ = false;
  bool committed_ = false;
};

}  // namespace tarsel
