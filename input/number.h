#pragma once

#include <cstddef>
#include <optional>
#include <string_view>
#include <vector>

namespace tarsel {

// A number as every numeric option of tarsel-render and every numeric parameter of a link takes
// it: [+-]?(digits[.digits]|.digits)([eE][+-]?digits)?, the whole text and nothing else (no
// spaces, no hexadecimal, no "inf" or "nan"), and finite. Read as the nearest double, as C++
// reads a decimal; a value too small for a double is 0, one too large is refused. Nullopt for
// anything else: the message then says "not a number".
std::optional<double> ReadNumber(std::string_view text);

// Exactly `count` numbers separated by commas ("31.5,7,25,31"), each as ReadNumber takes it.
// Nullopt when one of them is not a number, or there are more or fewer.
std::optional<std::vector<double>> ReadNumbers(std::string_view text, std::size_t count);

}  // namespace tarsel
