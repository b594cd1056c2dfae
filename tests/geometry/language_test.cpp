// The patterns and numbers of the interface's words: Fill's placeholders, and the decimal
// separator of a language in the numbers a student reads and types.
#include "geometry/language.h"

#include <gtest/gtest.h>

#include <string>

namespace tarsel {
namespace {

TEST(Fill, PlaceholdersInOrderReorderedAndEscaped) {
  const struct {
    const char* name;
    const char* pattern;
    std::string expected;
  } cases[] = {
      {"in order", "line %s: angle %s", "line 7: angle 12.5"},
      {"reordered", "%2$s before %1$s", "12.5 before 7"},
      {"one taken twice", "%1$s and %1$s", "7 and 7"},
      {"next after a numbered one", "%2$s, then %s", "12.5, then 13"},
      {"percent sign", "100%% of %s", "100% of 7"},
      {"a missing argument stays written", "%s, %s, %s, %s", "7, 12.5, 13, %s"},
      {"a number beyond the arguments", "%9$s", "%9$s"},
      {"no zeroth argument", "%0$s", "%0$s"},
      {"not a placeholder", "%d and %", "%d and %"},
      {"a lone percent at the end", "7 %", "7 %"},
  };
  for (const auto& c : cases) EXPECT_EQ(Fill(c.pattern, {"7", "12.5", "13"}), c.expected) << c.name;
}

// The language's separator comes from its catalogue: a German one of a single entry here.
class GermanNumbers : public ::testing::Test {
 protected:
  void SetUp() override { UseCatalogue({{std::string("decimal separator") + '\x04' + ".", ","}}); }
  void TearDown() override { UseCatalogue({}); }
};

TEST_F(GermanNumbers, LocalNumbersChangesEveryPointBetweenDigits) {
  // Every point between two digits is a decimal point: "1.2.3" and "v1.2" change too (the
  // readout and the panels hold no version numbers or dotted lists, so the rule stays simple).
  const struct {
    const char* text;
    const char* local;
  } cases[] = {
      {"k = 4.500", "k = 4,500"},
      {"4.5000 rad = 257.83°", "4,5000 rad = 257,83°"},
      {"-0.025", "-0,025"},
      {".5", ".5"},
      {"5.", "5."},
      {"the end. 7", "the end. 7"},
      {"1.2.3", "1,2,3"},
      {"v1.2", "v1,2"},
      {"2.6e1", "2,6e1"},
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(LocalNumbers(c.text), c.local) << c.text;
  EXPECT_STREQ(DecimalSeparator(), ",");
}

TEST_F(GermanNumbers, PointNumberTurnsTheSeparatorBack) {
  const struct {
    const char* typed;
    const char* read;
  } cases[] = {
      {"4,5", "4.5"},
      {",5", ".5"},
      {"2,6e1", "2.6e1"},
      {"7", "7"},
      // Every comma changes: a field takes one number, and a list typed with commas is no
      // longer one.
      {"1,2,3", "1.2.3"},
      {"4.5", "4.5"},
      {"abc", "abc"},
  };
  for (const auto& c : cases) EXPECT_EQ(PointNumber(c.typed), c.read) << c.typed;
}

// A language written right to left keeps a number's minus sign on its left with a
// left-to-right mark (U+200E) before it, once however often the text passes; typed back, the
// marks go.
TEST(RightToLeftNumbers, KeepTheirMinusSignsOnTheLeft) {
  UseCatalogue({{std::string("text direction") + '\x04' + "ltr", "rtl"}});
  const std::string mark = "\u200E";
  const struct {
    const char* text;
    std::string local;
  } cases[] = {
      {"-13.216°", mark + "-13.216°"},
      {"point 1: -101.840°, lift 0.0000", "point 1: " + mark + "-101.840°, lift 0.0000"},
      {"O-P 4 - 5", "O-P 4 - 5"},
      {"-", "-"},
      {"", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(LocalNumbers(c.text), c.local) << c.text;
    EXPECT_EQ(LocalNumbers(LocalNumbers(c.text)), c.local) << c.text;
    EXPECT_EQ(PointNumber(c.local), c.text) << c.text;
  }
  UseCatalogue({});
}

TEST(EnglishNumbers, StayAsWritten) {
  EXPECT_EQ(LocalNumbers("k = 4.500, 1.2.3"), "k = 4.500, 1.2.3");
  EXPECT_EQ(PointNumber("4,5"), "4,5");
  EXPECT_STREQ(Tr("probe at"), "probe at");
}

}  // namespace
}  // namespace tarsel
