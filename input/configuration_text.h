#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "geometry/configuration.h"

namespace tarsel {

// A configuration as a link's query and tarsel-render's options write it, four parameters:
//   linkage=G,A,C,B     fixed line O-Q, crank O-P, coupler P-R, rocker Q-R
//   reference=R         the reference angle of the phase offset, degrees
//   assembly=open|crossed
//   piston=R,L          crank radius, connecting rod
// each number as ReadNumber (input/number.h) takes it. An absent parameter keeps the built-in
// value.
struct ConfigurationTexts {
  std::optional<std::string> linkage, reference, assembly, piston;
};

// Why the texts make no configuration: the parameter, its text and the reason ("expected four
// numbers G,A,C,B", "the crank O-P 0 is not above 0"). A front end writes it in its own words
// around these ("bad --linkage '0,7,25,31': ...", "bad link value linkage='...': ...").
struct ConfigurationError {
  std::string_view parameter;
  std::string text;
  std::string why;
};

// Reads the texts into *out and checks the result (geometry/configuration.h): nullopt when it
// is good, else the first parameter found wanting.
std::optional<ConfigurationError> ReadConfiguration(const ConfigurationTexts& texts,
                                                    Configuration* out);

// Every parameter's text of configuration c, as a link writes it ("31.5,7,25,31", "65", "open",
// "25.5,100"): what a page framing this one is told the configuration on screen is.
ConfigurationTexts TextsOf(const Configuration& c);

// The query that opens configuration c: the parameters that differ from the built-in ones, in
// the order above, joined by "&" ("linkage=31.5,7,30,31&assembly=crossed"); empty for the
// built-in configuration. Every number in the fewest digits that read back to the same double.
std::string ConfigurationQuery(const Configuration& c);

}  // namespace tarsel
