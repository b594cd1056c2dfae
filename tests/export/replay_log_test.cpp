// The draw log's number format: each coordinate as printf's "%.9g" of the float, whatever its
// magnitude, so that logs written before and after a change of the writer compare equal.
#include <gtest/gtest.h>

#include <bit>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "export/replay.h"

namespace tarsel {
namespace {

std::string Logged(float x1, float y1, float x2, float y2, std::uint32_t colour, int width) {
  std::FILE* log = std::tmpfile();
  Replay replay({}, log, nullptr);
  replay.DrawWidth(width);
  replay.Line(x1, y1, x2, y2, colour);
  std::string text(std::ftell(log), '\0');
  std::rewind(log);
  const std::size_t read = std::fread(text.data(), 1, text.size(), log);
  std::fclose(log);
  text.resize(read);
  return text;
}

TEST(DrawLog, LinesReadAsPrintfWritesThem) {
  const float values[] = {0.0f,  -0.0f,    1.0f,      -50.0f,       10.0f,    65.25f,
                          0.1f,  -0.3f,    1e-4f,     9.99999e-5f,  1.5e-5f,  123456789.0f,
                          1e9f,  -3.4e38f, FLT_MAX,   FLT_MIN,      1e-45f,   -FLT_TRUE_MIN,
                          4.85f, 1.0f / 3, 100000000, 999999999.0f, 2.5e-38f, 7e10f};
  for (const float v : values) {
    const double d = static_cast<double>(v);
    char want[160];
    std::snprintf(want, sizeof want, "W 4\nL %.9g %.9g %.9g %.9g %u\n", d, -d, d, 0.0, 4294967295u);
    EXPECT_EQ(Logged(v, -v, v, 0, 4294967295u, 4), want) << v;
  }
  EXPECT_EQ(Logged(-50, 10, 912, -678, 0, 1), "W 1\nL -50 10 912 -678 0\n");
}

// Thousands of different floats, each twice and in no order: numbers that share a slot of the
// writer's memory of recent coordinates still come out as their own.
TEST(DrawLog, ManyCoordinatesReadAsPrintfWritesThem) {
  std::vector<float> values;
  std::uint32_t bits = 12345;
  while (values.size() < 20000) {
    bits = bits * 1664525u + 1013904223u;
    const float v = std::bit_cast<float>(bits);
    if (std::isfinite(v)) values.push_back(v);
  }
  for (std::size_t i = 0; i < 20000; i += 7) values.push_back(values[i]);
  std::FILE* log = std::tmpfile();
  Replay replay({}, log, nullptr);
  std::string want;
  char line[160];
  for (std::size_t i = 0; i + 1 < values.size(); i += 2) {
    replay.Line(values[i], values[i + 1], values[i], 1.5f, 7);
    std::snprintf(line, sizeof line, "L %.9g %.9g %.9g 1.5 7\n", static_cast<double>(values[i]),
                  static_cast<double>(values[i + 1]), static_cast<double>(values[i]));
    want += line;
  }
  std::string got(static_cast<std::size_t>(std::ftell(log)), '\0');
  std::rewind(log);
  got.resize(std::fread(got.data(), 1, got.size(), log));
  std::fclose(log);
  EXPECT_EQ(got, want);
}

}  // namespace
}  // namespace tarsel
