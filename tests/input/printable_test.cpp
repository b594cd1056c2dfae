// What a message shows of bytes from the user: one line, nothing a terminal would act on, and
// nothing re-encoded.
#include "input/printable.h"

#include <gtest/gtest.h>

#include <string>

namespace tarsel {
namespace {

TEST(Printable, KeepsTextAndUtf8AsTheyAre) {
  EXPECT_EQ(Printable("frame-001.png"), "frame-001.png");
  EXPECT_EQ(Printable("Kurbel \xC3\xA9t\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x99\x82"),
            "Kurbel \xC3\xA9t\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x99\x82");
  EXPECT_EQ(Printable(""), "");
}

TEST(Printable, EscapesControlsAndBytesThatAreNotUtf8) {
  EXPECT_EQ(Printable(std::string("a\0b", 3)), "a\\x00b");
  EXPECT_EQ(Printable("line\nbreak\r\t"), "line\\x0Abreak\\x0D\\x09");
  EXPECT_EQ(Printable("\x1b[31mred\x7f"), "\\x1B[31mred\\x7F");
  EXPECT_EQ(Printable("back\\slash"), "back\\\\slash");
  // Latin-1 "é", a C1 control in UTF-8 (U+0085), an overlong "/", a surrogate, a lone
  // continuation byte and a sequence cut short.
  EXPECT_EQ(Printable("caf\xE9"), "caf\\xE9");
  EXPECT_EQ(Printable("\xC2\x85"), "\\xC2\\x85");
  EXPECT_EQ(Printable("\xC0\xAF"), "\\xC0\\xAF");
  EXPECT_EQ(Printable("\xED\xA0\x80"), "\\xED\\xA0\\x80");
  EXPECT_EQ(Printable("\x80x"), "\\x80x");
  EXPECT_EQ(Printable("\xE2\x82"), "\\xE2\\x82");
}

TEST(Printable, NeverGivesAControlCharacter) {
  std::string every;
  for (int b = 0; b < 256; ++b) every += static_cast<char>(b);
  for (const unsigned char c : Printable(every)) {
    EXPECT_TRUE(c >= 0x20 && c != 0x7F) << int(c);
  }
}

}  // namespace
}  // namespace tarsel
