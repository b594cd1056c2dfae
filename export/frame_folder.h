#pragma once

#include <string>

#include "export/safe_file.h"
#include "render/image.h"

namespace tarsel {

// The frames of a replay as numbered PNG files in one directory: frame-001.png, frame-002.png,
// and so on (more digits past 999). They are written into a temporary folder and moved in
// together at the end (export/safe_file.h), so that a run that stops early leaves the
// directory as it was, and an export with `force` never leaves its frames mixed with an
// earlier one's.
class PngFrames {
 public:
  // True for the names a frame file may have: frame-NNN.png, with three digits or more.
  static bool IsFrameName(const std::string& name);

  // Why `dir` cannot take the frames before anything is made: it is a file, or, unless
  // `force`, it already holds a frame file. An empty string when it can.
  static std::string Refusal(const std::string& dir, bool force);
  // Checks the directory (made at the end when it is missing) and creates the temporary
  // folder. Returns an empty string or the reason it cannot be used.
  std::string Open(const std::string& dir, bool force);
  // Written by libpng without row filters (export/png_file.h): several times faster than
  // the usual adaptive filters for the same pixels.
  std::string Add(const Image& image);
  // The frames reach the disk, still in the temporary folder.
  std::string Finish();
  // Moves the frames into the directory. With `force`, frame files numbered past the last one
  // written, left by an earlier and longer export, are removed, so that the directory holds
  // this sweep only; other files are left alone.
  std::string Commit();
  // Removes the frames written so far, unless committed.
  void Discard() { folder_.Discard(); }
  int count() const { return count_; }

 private:
  SafeFolder folder_;
  bool force_ = false;
  int count_ = 0;
};

}  // namespace tarsel
