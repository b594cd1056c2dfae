#pragma once

#include <array>
#include <cstddef>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>

#include "geometry/configuration.h"
#include "input/script.h"

namespace tarsel {

// A link to a frame of the animation: the page's address with the query "at=K", and "acc=1"
// when the velocity and acceleration curves are on, "accumulate=1" when frames accumulate
// ("at=6.5&acc=1"). The page opens at that frame, interactive, by pressing the keys that
// ScriptReaching finds for it, as tarsel-render --at K --acc --accumulate does.

// Every parameter a link may carry, one row each. A query is read once (ReadQuery), by this
// table: a parameter given twice is refused, as an option given twice on tarsel-render's
// command line is, and so is a script with a parameter that names a frame. Parameters that are
// not in the table are left alone: a course platform may add its own.
struct LinkParameter {
  std::string_view name;
  // It names the frame to open at instead of giving the keys: not together with script, as
  // --at, --acc and --accumulate are not together with --script.
  bool frame = false;
};
inline constexpr LinkParameter kLinkParameters[] = {
    {"at", true},          // the frame's k, as ReadK reads it
    {"acc", true},         // 1: velocity and acceleration on
    {"accumulate", true},  // 1: frames accumulate
    {"script"},            // a replay of keys, as tarsel-render --script reads them
    {"size"},              // the replay's client area, WxH
    {"palette"},           // the replay's colours: exact or distinguishable
    {"probe"},             // the replay's probe, a number as ReadNumber reads it
    {"dump"},              // 1: the replay hands its draw log, picture and data to the page
    {"trace"},             // the page keeps timestamps, for the benchmarks
    // The configuration drawn, where it is not the built-in one (input/configuration_text.h):
    {"linkage"},    // G,A,C,B: fixed line, crank, coupler, rocker
    {"reference"},  // the reference angle of the phase offset, degrees
    {"assembly"},   // open or crossed
    {"piston"},     // R,L: crank radius, connecting rod
    // The page's profile of one's own, where it fits: its rows "angle~lift" joined by "_",
    // which the page reads back as a profile file (web/timing.js).
    {"profile"},
};

// The row of a parameter, found when the program is compiled: a name not in the table does not
// compile.
class LinkParameterName {
 public:
  // Implicit, so that values["at"] reads as the query does.
  consteval LinkParameterName(const char* name) : index_(IndexOf(name)) {}
  constexpr std::size_t index() const { return index_; }
  constexpr std::string_view name() const { return kLinkParameters[index_].name; }

 private:
  static consteval std::size_t IndexOf(std::string_view name) {
    for (std::size_t i = 0; i < std::size(kLinkParameters); ++i) {
      if (kLinkParameters[i].name == name) return i;
    }
    throw "not a parameter of kLinkParameters";
  }
  std::size_t index_;
};

// A query as ReadQuery found it: the value of each parameter of the table that it gives,
// unescaped as the browser reads it ("+" a space, "%HH" a byte; a parameter without "=" has
// the value ""), or why it is refused, one line.
struct LinkQueryValues {
  std::array<std::optional<std::string>, std::size(kLinkParameters)> values;
  std::string error;

  const std::optional<std::string>& operator[](LinkParameterName name) const {
    return values[name.index()];
  }
};
// Reads a query (the part after "?", which may lead): "the link gives at twice" for a parameter
// given twice, "the link gives both script and at, which cannot be given together" for a script
// with a parameter that names a frame.
LinkQueryValues ReadQuery(std::string_view query);

// The query for the frame at k with these switches, drawn with configuration `config`: k on the
// grid of tenths as a short decimal ("6.5", "4.525", "-0.025"), then the configuration's
// parameters where it differs from the built-in one ("at=6.5&linkage=31.5,7,30,31"). Nullopt
// when no key script reaches k (see ScriptReaching).
std::optional<std::string> LinkQuery(double k, Switches switches, const Configuration& config = {});

// The configuration a query names (the built-in one where it names none), or why not, one line
// ("bad link value linkage='0,7,25,31': the crank O-P 0 is not above 0").
struct LinkConfiguration {
  Configuration config;
  bool named = false;  // it gives linkage, reference, assembly or piston
  std::string error;
};
LinkConfiguration ReadLinkConfiguration(std::string_view query);

// What a page's query (the part after "?") asks for.
struct LinkRequest {
  bool present = false;  // it names at, acc, accumulate or the configuration; the other
                         // parameters are not a link's
  std::string script;    // the keys that reach the frame (empty for the first frame)
  Configuration config;  // the configuration to draw
  std::string error;     // one line naming the bad value; the page then starts at frame 1
};
// The query as ReadQuery reads it, and the frame and configuration it names.
LinkRequest ReadLink(std::string_view query);

// k as a link or tarsel-render --at gives it: a number as ReadNumber takes it ("6.5", "-0.025",
// "+20", "4500e-3"), read exactly to the thousandth: the whole number of thousandths within a
// millionth of one, divided by 1000. Nullopt for what is not a number, for more than 7 digits
// before the point, and for a value off the thousandths ("6.5251"), which no key reaches.
std::optional<double> ReadK(std::string_view text);

}  // namespace tarsel
