#pragma once

#include <filesystem>
#include <string>

#include "render/image.h"

namespace tarsel {

// The frames of a replay as numbered PNG files in one directory: frame-001.png, frame-002.png,
// and so on (more digits past 999).
class PngFrames {
 public:
  // Creates the directory when it is missing. Unless `force`, refuses a directory that
  // already holds a frame file. Returns an empty string or the reason it cannot be used.
  std::string Open(const std::filesystem::path& dir, bool force);
  // Written by libpng without row filters (export/png_file.h): several times faster than
  // the usual adaptive filters for the same pixels.
  std::string Add(const Image& image);
  // With `force`, removes frame files numbered past the last one written, left by an earlier
  // and longer export, so that the directory holds this sweep only.
  std::string Finish();
  int count() const { return count_; }

 private:
  std::filesystem::path dir_;
  bool force_ = false;
  int count_ = 0;
};

}  // namespace tarsel
