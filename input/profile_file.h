#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "geometry/profile_tables.h"

namespace tarsel {

// A lift profile of one's own, as a cam design tool or a spreadsheet writes it: rows of
// "angle,lift", comma-separated with decimal points, or "angle;lift", semicolon-separated with
// decimal commas (the spreadsheet's choice in many countries; the first line decides which for
// the whole file). A first line that is no row but holds a word is a header; a UTF-8
// byte-order mark, CRLF line ends, spaces around a number and blank lines are allowed. Each
// number is written in the one number syntax (input/number.h). Angles in degrees, strictly
// increasing, from -360 to 360; lifts finite and at least 0; kLeastProfileRows to
// kMostProfileRows rows.
inline constexpr int kLeastProfileRows = 5;
inline constexpr int kMostProfileRows = 10000;

// The tables of the profile in `text` (ProfileTables TablesOf: the first table falling, the
// second mirrored), or nullopt and in `error` one line naming the line and the fault ("line 7:
// angle 12.5 is not greater than 13, the one before it").
std::optional<ProfileTables> ReadProfile(std::string_view text, std::string* error);

// The profile in the file at `path`, read as ReadProfile reads text, or nullopt and in `error`
// one line naming the fault: the file's own (a directory, missing, unreadable, larger than
// 16 MB) or the first fault of its text. The name of the file is left to the caller.
std::optional<ProfileTables> ReadProfileFile(const std::string& path, std::string* error);

}  // namespace tarsel
