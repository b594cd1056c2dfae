// Reading a profile of one's own: every spelling a spreadsheet or a cam tool writes reads the
// same, every bad file is one line naming its line and fault.
#include "input/profile_file.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "tests/support/profiles.h"

namespace tarsel {
namespace {

// Five rows, angles -20 to 20, lifts 0, 1.5, 4, 1.5, 0.
const std::string kPlain = "-20,0\n-10,1.5\n0,4\n10,1.5\n20,0\n";

TEST(ReadProfile, EverySpellingReadsTheSame) {
  const struct {
    const char* name;
    std::string text;
  } spellings[] = {
      {"plain", kPlain},
      {"a header", "angle,lift\n" + kPlain},
      {"CRLF and a byte-order mark",
       "\xEF\xBB\xBF"
       "angle,lift\r\n-20,0\r\n-10,1.5\r\n0,4\r\n"
       "10,1.5\r\n20,0\r\n"},
      {"semicolons with decimal commas", "Winkel;Hub\n-20;0\n-10;1,5\n0;4\n10;1,5\n20;0\n"},
      {"semicolons under a header without one", "Hub\n-20;0\n-10;1,5\n0;4\n10;1,5\n20;0\n"},
      {"spaces, blank lines, no last line end", " -20 , 0\n\n-1e1,1.50\n0,4\n10,15e-1\n\n20,0"},
  };
  const std::optional<ProfileTables> expected = ReadProfile(kPlain, nullptr);
  ASSERT_TRUE(expected);
  EXPECT_EQ(expected->last(), 5);
  // The first table falls: row 5 (20 degrees) is its first point; the second is mirrored.
  EXPECT_EQ(expected->xa[1], 20);
  EXPECT_EQ(expected->xa[5], -20);
  EXPECT_EQ(expected->ya[3], 4);
  EXPECT_EQ(expected->xb[1], -20);
  EXPECT_EQ(expected->yb, expected->ya);
  for (const auto& s : spellings) {
    std::string error;
    const std::optional<ProfileTables> got = ReadProfile(s.text, &error);
    ASSERT_TRUE(got) << s.name << ": " << error;
    EXPECT_TRUE(*got == *expected) << s.name;
  }
}

TEST(ReadProfile, TheBuiltInFirstTableReadsBackExactly) {
  ProfileTables built_in;
  FillProfileTables(built_in);
  const std::optional<ProfileTables> read = ReadProfile(testing::BuiltInProfileCsv(), nullptr);
  ASSERT_TRUE(read);
  EXPECT_EQ(read->xa, built_in.xa);
  EXPECT_EQ(read->ya, built_in.ya);
}

TEST(ReadProfile, EachBadFileIsOneLineNamingItsFault) {
  std::string many = testing::RowsCsv(20001);
  const struct {
    const char* name;
    std::string text;
    std::string error;
  } bad[] = {
      {"empty", "", "no rows of angle,lift: a profile needs at least 5"},
      {"a header alone", "angle,lift\r\n", "no rows of angle,lift: a profile needs at least 5"},
      {"fewer than 5 rows", "0,0\n1,1\n2,0\n", "3 rows of angle,lift: a profile needs at least 5"},
      {"a word", "angle,lift\n0,0\n1,one\n", "line 3: lift 'one' is not a number"},
      {"a number and a word first", "0,nan\n", "line 1: lift 'nan' is not a number"},
      {"not increasing", "1,0\n2,0\n3,1\n4,1\n5,0\n6,1\n12.5,2\n13,1\n12.5,0\n",
       "line 9: angle 12.5 is not greater than 13, the one before it"},
      {"an angle twice", "0,0\n1,1\n1,2\n",
       "line 3: angle 1 is not greater than 1, the one before it"},
      {"NaN", "0,0\n1,NaN\n", "line 2: lift 'NaN' is not a number"},
      {"a negative lift", "0,0\n1,-0.5\n", "line 2: lift -0.5 is below 0"},
      {"an angle beyond 360", "0,0\n360.5,1\n",
       "line 2: angle 360.5 is outside -360 to 360 degrees"},
      {"20,001 rows", many, "line 10001: more than 10000 rows"},
      {"three numbers", "0,0\n1,1,1\n",
       "line 2: expected two numbers, angle and lift, separated by "
       "a comma, not '1,1,1'"},
      {"decimal commas in a comma file", "0,0\n1,5,2\n",
       "line 2: expected two numbers, angle and lift, separated by a comma, not '1,5,2'"},
      {"binary bytes", std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16),
       "line 3: a zero byte: not a text file"},
      {"bytes that are not text", "\x01\x02\xff\n",
       "line 1: expected two numbers, angle and lift, "
       "separated by a comma, not '\\x01\\x02\\xFF'"},
  };
  for (const auto& c : bad) {
    std::string error;
    EXPECT_FALSE(ReadProfile(c.text, &error)) << c.name;
    EXPECT_EQ(error, c.error) << c.name;
    EXPECT_EQ(error.find('\n'), std::string::npos) << c.name;
  }
  // The most rows there may be.
  EXPECT_EQ(ReadProfile(testing::RowsCsv(10000), nullptr)->last(), 10000);
}

}  // namespace
}  // namespace tarsel
