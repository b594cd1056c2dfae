#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace tarsel {

// What an export may take of the machine's memory, and what it says when there is not enough.
//
// Each room says what it needs for a picture size (Canvas, Labeller, GifFrames, VideoFrames:
// their MemoryNeed), so that the command line can refuse an export that would not fit before
// it touches any file, instead of failing in the middle of it.

// The most memory one export may take beyond the program itself: the largest pictures of
// every kind fit in it, and so does a machine with 4 GB running it beside a desktop. A larger
// request is refused with what it would need.
inline constexpr std::uint64_t kMostExportBytes = 2'000'000'000;

// The bytes of a picture of width x height pixels, one 32-bit word each.
inline constexpr std::uint64_t PictureBytes(int width, int height) {
  return std::uint64_t(width > 0 ? width : 0) * std::uint64_t(height > 0 ? height : 0) * 4;
}

// The one line that says a picture did not fit in memory: "not enough memory for a W x H
// picture".
std::string NotEnoughMemory(int width, int height);

// The bytes the process may still map under its limit on address space (ulimit -v), or nullopt
// when there is no limit.
std::optional<std::uint64_t> AddressSpaceLeft();

// A number of bytes for a message: whole MB, or GB with one decimal ("1.3 GB").
std::string ByteCount(std::uint64_t bytes);

}  // namespace tarsel
