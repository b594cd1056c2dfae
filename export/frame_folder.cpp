#include "export/frame_folder.h"

#include <cstdio>
#include <regex>
#include <system_error>
#include <utility>
#include <vector>

#include "export/png_file.h"

namespace tarsel {

namespace fs = std::filesystem;

namespace {

// frame-NNN.png with at least three digits; returns the number, or 0 for any other name.
long FrameNumber(const std::string& name) {
  static const std::regex pattern("frame-([0-9]{3,9})\\.png");
  std::smatch m;
  return std::regex_match(name, m, pattern) ? std::stol(m[1]) : 0;
}

}  // namespace

std::string PngFrames::Open(const fs::path& dir, bool force) {
  dir_ = dir;
  force_ = force;
  std::error_code ec;
  if (fs::exists(dir, ec) && !fs::is_directory(dir, ec)) {
    return "'" + dir.string() + "' exists and is not a directory";
  }
  if (!fs::create_directories(dir, ec) && ec) {
    return "cannot create '" + dir.string() + "': " + ec.message();
  }
  if (force) return "";
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
  if (ec) return "cannot read '" + dir.string() + "': " + ec.message();
  if (!first.empty()) {
    return "'" + dir.string() + "' already holds " + first + "; use --force to overwrite";
  }
  return "";
}

std::string PngFrames::Add(const Image& image) {
  char name[32];
  std::snprintf(name, sizeof name, "frame-%03d.png", ++count_);
  return WritePng(image, (dir_ / name).string());
}

std::string PngFrames::Finish() {
  if (!force_) return "";
  std::error_code ec;
  std::vector<fs::path> stale;
  for (const auto& entry : fs::directory_iterator(dir_, ec)) {
    if (FrameNumber(entry.path().filename().string()) > count_) stale.push_back(entry.path());
  }
  for (const fs::path& p : stale) {
    if (!fs::remove(p, ec) && ec) return "cannot remove '" + p.string() + "': " + ec.message();
  }
  return "";
}

}  // namespace tarsel
