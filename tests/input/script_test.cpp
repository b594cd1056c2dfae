// Tests of the script parser: the tokens a user writes for tarsel-render and the fuzz corpus.
#include "input/script.h"

#include <gtest/gtest.h>

#include <string>

namespace tarsel {
namespace {

// The events of a parse as "CODE@AT" or "dbl@AT", or the error.
std::string Describe(const std::string& text) {
  std::string error, s;
  const auto events = ParseScript(text, &error);
  if (!events) return "error: " + error;
  for (const ScriptEvent& e : *events) {
    s += (s.empty() ? "" : " ") +
         (e.event.kind == InputEvent::Kind::kDoubleClick ? "dbl" : std::to_string(e.event.code)) +
         "@" + std::to_string(e.at);
  }
  return s;
}

TEST(ParseScript, ReadsCodesDoubleClicksAndCallNumbers) {
  // The whole range of a 16-bit character code is a key.
  EXPECT_EQ(Describe("44 dbl 13@7 dbl@1000000 0 65535"), "44@0 dbl@0 13@7 dbl@1000000 0@0 65535@0");
}

TEST(ParseScript, KeyNamesAndPrintableCharactersParseAsTheirCodes) {
  const struct {
    std::string names, codes;
  } cases[] = {
      {"space enter tab backspace esc comma slash", "32@0 13@0 9@0 8@0 27@0 44@0 47@0"},
      {"a z A Z / ? < ; . ~ ! #", "97@0 122@0 65@0 90@0 47@0 63@0 60@0 59@0 46@0 126@0 33@0 35@0"},
      // Digits stay codes; a name takes a call number like a code.
      {"1 9 0 a@5 enter@600 dbl@2", "1@0 9@0 0@0 97@5 13@600 dbl@2"},
  };
  for (const auto& c : cases) EXPECT_EQ(Describe(c.names), c.codes) << c.names;
  for (const std::string token : {"Enter", "SPACE", "Esc", "escape", "aa", "a1", "\xc3\xa9", "@5",
                                  "a@", "a@0", "comma@x", "spaces"}) {
    std::string error;
    EXPECT_FALSE(ParseScript(token, &error)) << token;
    EXPECT_NE(error.find("'" + token + "'"), std::string::npos) << token << ": " << error;
  }
}

TEST(ParseScript, SpacesAndCommasSeparateAlike) {
  for (const std::string text : {"97 8@3 dbl", "97,8@3,dbl", " ,97,, 8@3 ,dbl, ", "97 ,8@3  dbl"}) {
    EXPECT_EQ(Describe(text), "97@0 8@3 dbl@0") << text;
  }
  for (const std::string empty : {"", " ", ",,", " , "}) {
    EXPECT_EQ(Describe(empty), "") << "'" << empty << "'";
  }
}

TEST(ParseScript, RejectsAMalformedTokenAndNamesIt) {
  for (const std::string token :
       {"abc", "12@", "12@0", "@3", "70000", "65536", "-5", "dbl@x", "+5", "1.5", "0x10", "DBL",
        "dbl12", "12@3@4", "12@-1", "12@+1", "@", "dbl@0", "12@99999999999999999999"}) {
    std::string error;
    EXPECT_FALSE(ParseScript(token, &error)) << token;
    EXPECT_NE(error.find("'" + token + "'"), std::string::npos)
        << token << ": error was '" << error << "'";
  }
  std::string error;
  EXPECT_FALSE(ParseScript("97 44@2,abc@3 13", &error));
  EXPECT_NE(error.find("'abc@3'"), std::string::npos) << error;
  EXPECT_EQ(error.find("13"), std::string::npos) << error;
  EXPECT_EQ(error.find("44"), std::string::npos) << error;
}

TEST(ParseScript, NamesABadTokenOnOneLineWithItsControlCharactersEscaped) {
  // A tab, a newline that would split the message, an escape sequence that would reach the
  // terminal, a NUL (a page's link can carry one), and a byte that is not UTF-8.
  const struct {
    std::string token, shown;
  } cases[] = {{"\t", "'\\x09'"},
               {"a\nb", "'a\\x0Ab'"},
               {"\x1b[2J", "'\\x1B[2J'"},
               {std::string("a\0zz", 4), "'a\\x00zz'"},
               {"x\xff", "'x\\xFF'"}};
  for (const auto& c : cases) {
    std::string error;
    EXPECT_FALSE(ParseScript(c.token, &error)) << c.shown;
    EXPECT_NE(error.find(c.shown), std::string::npos) << error;
  }
}

}  // namespace
}  // namespace tarsel
