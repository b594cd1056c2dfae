// Tests of the one number syntax of every numeric option and link parameter.
#include "input/number.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace tarsel {
namespace {

TEST(ReadNumber, DecimalsWithAnExponentAndNothingElse) {
  const struct {
    std::string text;
    double value;
  } good[] = {
      {"6.5", 6.5},       {"+6.5", 6.5},   {"-0.025", -0.025}, {".5", 0.5},          {"-.5", -0.5},
      {"7", 7},           {"4.5e0", 4.5},  {"4500e-3", 4.5},   {"1E6", 1e6},         {"1e+6", 1e6},
      {"+.25E-1", 0.025}, {"007.50", 7.5}, {"1e-400", 0},      {"1e-99999999999", 0}};
  for (const auto& c : good) EXPECT_EQ(ReadNumber(c.text), c.value) << c.text;
  // The sign of a zero too small for a double stays.
  EXPECT_TRUE(std::signbit(*ReadNumber("-1e-400")));
  // A NUL within, a full-width digit and the rest as plain text.
  std::vector<std::string> bad = {std::string("1\0", 2), "\xef\xbc\x91"};
  for (const char* text :
       {"",    "+",       "-",   ".",   "7.",        "e5",    ".e5",           "1e",
        "1e+", "1.5e2.5", "--1", "+-1", " 1",        "1 ",    "1,5",           "0x10",
        "1f",  "nan",     "NaN", "inf", "-Infinity", "1e999", "-1e99999999999"}) {
    bad.push_back(text);
  }
  for (const std::string& text : bad) EXPECT_FALSE(ReadNumber(text)) << text;
}

TEST(ReadNumbers, ExactlyAsManyAsAskedSeparatedByCommas) {
  EXPECT_EQ(ReadNumbers("31.5,7,25,31", 4), (std::vector<double>{31.5, 7, 25, 31}));
  EXPECT_EQ(ReadNumbers("25.5,1e2", 2), (std::vector<double>{25.5, 100}));
  EXPECT_EQ(ReadNumbers("-3", 1), std::vector<double>{-3});
  for (const std::string bad : {"31.5,7,25", "31.5,7,25,31,1", "31.5,7,,31", "31.5,7,25,31,",
                                ",31.5,7,25", "31.5, 7,25,31", "31.5;7;25;31", "a,b,c,d", ""}) {
    EXPECT_FALSE(ReadNumbers(bad, 4)) << bad;
  }
}

}  // namespace
}  // namespace tarsel
