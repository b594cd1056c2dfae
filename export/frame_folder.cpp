#include "export/frame_folder.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <regex>
#include <system_error>
#include <utility>
#include <vector>

#include "export/png_file.h"
#include "geometry/language.h"
#include "input/printable.h"

namespace tarsel {

namespace fs = std::filesystem;

namespace {

// frame-NNN.png with at least three digits; returns the number, or 0 for any other name.
long FrameNumber(const std::string& name) {
  static const std::regex pattern("frame-([0-9]{3,9})\\.png");
  std::smatch m;
  return std::regex_match(name, m, pattern) ? std::stol(m[1]) : 0;
}

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};

}  // namespace

bool PngFrames::IsFrameName(const std::string& name) {
  return FrameNumber(name) > 0;
}

std::string PngFrames::Refusal(const std::string& dir, bool force) {
  std::error_code ec;
  if (fs::exists(dir, ec) && !fs::is_directory(dir, ec)) {
    // TRANSLATORS: %s: a folder's name (quoted), which is a file.
    return Fill(Tr("%s exists and is not a directory"), {Quoted(dir)});
  }
  if (force || !fs::is_directory(dir, ec)) return "";
  // The directory lists its files in no particular order: name the lowest-numbered frame.
  std::string first;
  for (const auto& entry : fs::directory_iterator(dir, ec)) {
    const std::string name = entry.path().filename().string();
    const long number = FrameNumber(name);
    if (number > 0 && (first.empty() ||
                       std::make_pair(number, name) < std::make_pair(FrameNumber(first), first))) {
      first = name;
    }
  }
  // TRANSLATORS: %1$s: a folder's name (quoted); %2$s: the system's reason (English).
  if (ec) return Fill(Tr("cannot read %s: %s"), {Quoted(dir), ec.message()});
  if (!first.empty()) {
    // TRANSLATORS: %1$s: a folder's name (quoted); %2$s: a frame's file name (frame-001.png);
    // --force is the option's name, kept as it is.
    return Fill(Tr("%s already holds %s; use --force to overwrite"), {Quoted(dir), first});
  }
  return "";
}

std::string PngFrames::Open(const std::string& dir, bool force) {
  force_ = force;
  if (std::string error = Refusal(dir, force); !error.empty()) return error;
  return folder_.Open(dir);
}

std::string PngFrames::Add(const Image& image) {
  char name[32];
  std::snprintf(name, sizeof name, "frame-%03d.png", ++count_);
  // Named in messages where it is going to be.
  const std::string shown = (fs::path(folder_.path()) / name).string();
  const fs::path staged = folder_.staging() / name;
  std::unique_ptr<std::FILE, FileCloser> file(std::fopen(staged.c_str(), "wbx"));
  // TRANSLATORS: %1$s: a file's name (quoted); %2$s: the system's reason (English).
  if (!file) return Fill(Tr("cannot write %s: %s"), {Quoted(shown), std::strerror(errno)});
  if (std::string error = EncodePng(image, file.get(), shown); !error.empty()) return error;
  if (std::fclose(file.release()) != 0) {
    // TRANSLATORS: %1$s: a file's name (quoted); %2$s: the system's reason (English).
    return Fill(Tr("writing %s failed: %s"), {Quoted(shown), std::strerror(errno)});
  }
  return "";
}

std::string PngFrames::Finish() {
  return folder_.Complete();
}

std::string PngFrames::Commit() {
  std::vector<std::string> stale;
  std::error_code ec;
  if (force_ && folder_.existed()) {
    for (const auto& entry : fs::directory_iterator(folder_.target(), ec)) {
      const std::string name = entry.path().filename().string();
      if (FrameNumber(name) > count_) stale.push_back(name);
    }
    if (ec) return Fill(Tr("cannot read %s: %s"), {Quoted(folder_.path()), ec.message()});
  }
  return folder_.Commit(stale);
}

}  // namespace tarsel
