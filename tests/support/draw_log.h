#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "animation/frame_curves.h"

// Reading a draw log of tarsel-render, one line per drawing or event call.
namespace tarsel::testing {

using Lines = std::vector<std::string>;

// An "L x1 y1 x2 y2 colour" line.
bool IsLine(const std::string& l);
std::uint32_t ColourOf(const std::string& l);
long Count(const Lines& lines, const std::string& exact);
long CountColour(const Lines& lines, std::uint32_t colour);
std::vector<std::size_t> IndicesOf(const Lines& lines, const std::string& exact);
// Index of the n-th (1-based) line equal to `exact`; with "E", of the n-th event-processing
// call at a table point.
std::optional<std::size_t> Nth(const Lines& lines, const std::string& exact, long n);
Lines Slice(const Lines& lines, std::size_t from, std::size_t to);
// The lines of each frame, from pass 1 up to and including the frame's `A` line. What the end
// of the previous frame logged (key, clear, piston curve) belongs to no frame.
std::vector<Lines> FramesOf(const Lines& lines);
// The lift curves among a frame's lines (green, red and blue), read back to the floats drawn.
FrameCurves CurvesOf(const Lines& frame);
// The log with each run of drawing (L, W) and point-call (E) lines folded into one ".", so
// that waits, keys, clears and the end read as a short sequence.
std::string Events(const Lines& lines);

}  // namespace tarsel::testing
