#include "input/number.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <string>
#include <system_error>

namespace tarsel {

namespace {

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// Where the run of digits from `i` ends.
std::size_t DigitsEnd(std::string_view s, std::size_t i) {
  while (i < s.size() && IsDigit(s[i])) ++i;
  return i;
}

#if defined(__cpp_lib_to_chars)
// For a number beyond a double's range: true when it lies below it (it is then nearest to 0),
// false when above. The power of ten of its first digit other than 0, plus the exponent.
bool BelowRange(std::string_view whole, std::string_view part, std::string_view exponent) {
  long power = 0;
  if (const std::size_t first = whole.find_first_not_of('0'); first != std::string_view::npos) {
    power = static_cast<long>(whole.size() - first) - 1;
  } else {
    power = -static_cast<long>(part.find_first_not_of('0')) - 1;
  }
  long e = 0;
  const bool negative = !exponent.empty() && exponent[0] == '-';
  for (const char c : exponent.substr(exponent.empty() || IsDigit(exponent[0]) ? 0 : 1)) {
    // Far past the range either way: more digits change nothing.
    if (e < 1'000'000) e = e * 10 + (c - '0');
  }
  return power + (negative ? -e : e) < 0;
}
#endif

}  // namespace

std::optional<double> ReadNumber(std::string_view text) {
  const bool negative = !text.empty() && text[0] == '-';
  const std::size_t start = !text.empty() && (text[0] == '+' || negative) ? 1 : 0;
  const std::size_t whole_end = DigitsEnd(text, start);
  std::size_t part_end = whole_end;
  if (whole_end < text.size() && text[whole_end] == '.') {
    part_end = DigitsEnd(text, whole_end + 1);
    // A point has digits after it.
    if (part_end == whole_end + 1) return std::nullopt;
  }
  if (part_end == start) return std::nullopt;
  std::size_t end = part_end;
  if (end < text.size() && (text[end] == 'e' || text[end] == 'E')) {
    const std::size_t digits =
        end + 1 < text.size() && (text[end + 1] == '+' || text[end + 1] == '-') ? end + 2 : end + 1;
    end = DigitsEnd(text, digits);
    if (end == digits) return std::nullopt;
  }
  if (end != text.size()) return std::nullopt;
  // from_chars and strtod take a "-" themselves, from_chars no "+".
  const std::string_view number = text.substr(negative ? 0 : start);
#if !defined(__cpp_lib_to_chars)
  // Emscripten's C++ library has no from_chars for a double: its C library's strtod, which reads
  // "." whatever the locale (musl) and gives the nearest double, 0 or a subnormal below the range
  // and an infinity above it.
  const std::string copy(number);
  const double value = std::strtod(copy.c_str(), nullptr);
  if (!std::isfinite(value)) return std::nullopt;
  return value;
#else
  double value = 0;
  const auto [ptr, ec] = std::from_chars(number.data(), number.data() + number.size(), value);
  if (ec == std::errc::result_out_of_range) {
    const std::string_view whole = text.substr(start, whole_end - start);
    const std::string_view part =
        part_end > whole_end ? text.substr(whole_end + 1, part_end - whole_end - 1) : "";
    const std::string_view exponent = part_end < text.size() ? text.substr(part_end + 1) : "";
    if (!BelowRange(whole, part, exponent)) return std::nullopt;
    return negative ? -0.0 : 0.0;
  }
  if (ec != std::errc() || ptr != number.data() + number.size()) return std::nullopt;
  return value;
#endif
}

std::optional<std::vector<double>> ReadNumbers(std::string_view text, std::size_t count) {
  std::vector<double> numbers;
  for (;;) {
    const std::size_t comma = text.find(',');
    const std::optional<double> number = ReadNumber(text.substr(0, comma));
    if (!number || numbers.size() == count) return std::nullopt;
    numbers.push_back(*number);
    if (comma == std::string_view::npos) break;
    text.remove_prefix(comma + 1);
  }
  if (numbers.size() != count) return std::nullopt;
  return numbers;
}

}  // namespace tarsel
