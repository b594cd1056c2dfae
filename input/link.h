#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "input/script.h"

namespace tarsel {

// A link to a frame of the animation: the page's address with the query "at=K", and "acc=1"
// when the velocity and acceleration curves are on, "accumulate=1" when frames accumulate
// ("at=6.5&acc=1"). The page opens at that frame, interactive, by pressing the keys that
// ScriptReaching finds for it, as tarsel-render --at K --acc --accumulate does.

// The query for the frame at k with these switches: k on the grid of tenths as a short decimal
// ("6.5", "4.525", "-0.025"). Nullopt when no key script reaches k (see ScriptReaching).
std::optional<std::string> LinkQuery(double k, Switches switches);

// What a page's query (the part after "?") asks for.
struct LinkRequest {
  bool present = false;  // it names at, acc or accumulate; the other parameters are not a link's
  std::string script;    // the keys that reach the frame (empty for the first frame)
  std::string error;     // one line naming the bad value; the page then starts at frame 1
};
LinkRequest ReadLink(std::string_view query);

// k as a link or tarsel-render --at gives it: a number as ReadNumber takes it ("6.5", "-0.025",
// "+20", "4500e-3"), read exactly to the thousandth: the whole number of thousandths within a
// millionth of one, divided by 1000. Nullopt for what is not a number, for more than 7 digits
// before the point, and for a value off the thousandths ("6.5251"), which no key reaches.
std::optional<double> ReadK(std::string_view text);

}  // namespace tarsel
