// Tests of the keys that reach a frame with its switches, the sweep from it, and the link that
// names it: what the page's "Copy link" writes, what a link opens, what tarsel-render --at,
// --acc, --accumulate and --sweep press.
#include "input/link.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "animation/sweep.h"
#include "input/configuration_text.h"
#include "input/script.h"
#include "tests/support/configurations.h"

namespace tarsel {
namespace {

std::string Keys(const std::string& key, int times) {
  std::string s;
  for (int i = 0; i < times; ++i) s += (s.empty() ? "" : " ") + key;
  return s;
}

TEST(ScriptReaching, SwitchesArePressedFirstBackSpaceBeforeSlash) {
  const struct {
    double k;
    Switches switches;
    std::string script;
  } cases[] = {
      {4.5, {}, ""},
      {4.5, {.acc = true}, "8"},
      {4.5, {.accumulate = true}, "47"},
      {4.5, {.acc = true, .accumulate = true}, "8 47"},
      {6.5, {.acc = true}, "8 " + Keys("97", 8)},
      {6.525, {.accumulate = true}, "47 " + Keys("97", 8) + " 13"},
      {4.25, {.acc = true, .accumulate = true}, "8 47 44"},
      {19.975, {.acc = true}, "8 " + Keys("97", 62) + " 9"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ScriptReaching(c.k, c.switches), c.script)
        << c.k << " " << c.switches.acc << c.switches.accumulate;
  }
  EXPECT_FALSE(ScriptReaching(4.51, {.acc = true}));
  EXPECT_FALSE(ScriptReaching(20.25, {.accumulate = true}));
}

TEST(Sweep, FramesFromCountTheLoopsStepsToTwenty) {
  EXPECT_EQ(sweep::FramesFrom(sweep::kFirstK), sweep::kFrames);
  EXPECT_EQ(sweep::FramesFrom(20), 1);
  EXPECT_EQ(sweep::FramesFrom(19.975), 1);
  EXPECT_EQ(sweep::FramesFrom(19.75), 2);
  EXPECT_EQ(sweep::FramesFrom(6.525), 54);  // 6.525, ..., 19.775
  EXPECT_EQ(sweep::FramesFrom(-100), 481);
  // k as the keys sum it: a hair above or below the decimal value.
  EXPECT_EQ(sweep::FramesFrom(20 - 1e-12), 1);
  EXPECT_EQ(sweep::FramesFrom(20 + 1e-12), 1);
  EXPECT_EQ(sweep::FramesFrom(20.025), 0);
  EXPECT_EQ(sweep::FramesFrom(1e300), 0);
}

TEST(SweepFrom, TheReachingKeysThenPlainKeysFromTheFrameAtK) {
  // From the first frame: the plain sweep of 63 frames, 62 keys.
  auto sweep = SweepFrom(4.5, {}, 0);
  ASSERT_TRUE(sweep);
  EXPECT_EQ(sweep->script, Keys("97", 62));
  EXPECT_EQ(sweep->first, 1);
  EXPECT_EQ(sweep->frames, 63);

  // From 6.5 with the curves on: BackSpace and 8 steps lead there (frames 1 to 9), then 54
  // more keys for the 55 frames to 20.
  sweep = SweepFrom(6.5, {.acc = true}, 0);
  ASSERT_TRUE(sweep);
  EXPECT_EQ(sweep->script, "8 " + Keys("97", 8) + " " + Keys("97", 54));
  EXPECT_EQ(sweep->first, 10);
  EXPECT_EQ(sweep->frames, 55);

  // A number of frames, and no more than there are to the end.
  sweep = SweepFrom(19.25, {.accumulate = true}, 2);
  ASSERT_TRUE(sweep);
  EXPECT_EQ(sweep->frames, 2);
  EXPECT_EQ(sweep->first, 61);
  EXPECT_EQ(sweep->script, "47 " + Keys("97", 59) + " 97");
  sweep = SweepFrom(19.25, {}, 50);
  ASSERT_TRUE(sweep);
  EXPECT_EQ(sweep->frames, 4);
  EXPECT_EQ(sweep->script, Keys("97", 62));
  sweep = SweepFrom(20, {}, 1);
  ASSERT_TRUE(sweep);
  EXPECT_EQ(sweep->first, 63);
  EXPECT_EQ(sweep->script, Keys("97", 62));

  EXPECT_FALSE(SweepFrom(20.25, {}, 0));
  EXPECT_FALSE(SweepFrom(4.51, {}, 0));
  EXPECT_FALSE(SweepFrom(4.5, {}, -1));
}

TEST(ReadK, PlainDecimalsReadExactlyToTheThousandth) {
  const struct {
    std::string text;
    double k;
  } good[] = {{"6.5", 6.5},
              {"+6.5", 6.5},
              {"-0.025", -0.025},
              {"20", 20},
              {"20.000", 20},
              {"4.52500000", 4.525},
              {"-100", -100},
              {"0", 0},
              {".5", 0.5},
              {"1234567.5", 1234567.5},
              // Any way of writing the number: the multiple of a thousandth it stands for.
              {"6.5e0", 6.5},
              {"4500e-3", 4.5},
              {"0.004525E3", 4.525},
              {"-.1e-1", -0.01},
              {"4.5250000001", 4.525}};
  for (const auto& c : good) EXPECT_EQ(ReadK(c.text), c.k) << c.text;
  for (const std::string bad : {"",       "-",      "+",     ".",    "7.",    "0x10",   "nan",
                                "inf",    "6,5",    " 6.5",  "6.5 ", "6.5x",  "--1",    "12345678",
                                "4.5251", "6.5251", "1.2.3", "1e7",  "1e999", "4.52501"}) {
    EXPECT_FALSE(ReadK(bad)) << bad;
  }
}

// Every state the page can be in round-trips through a link: the query names it exactly, and
// the keys it opens with are those of tarsel-render --at with the same switches.
TEST(Link, TheQueryOfAFrameOpensWithTheKeysThatReachIt) {
  const struct {
    double k;
    Switches switches;
    std::string query;
  } cases[] = {
      {4.5, {}, "at=4.5"},
      {6.5, {.acc = true}, "at=6.5&acc=1"},
      {6.525, {.accumulate = true}, "at=6.525&accumulate=1"},
      {4.475, {.acc = true, .accumulate = true}, "at=4.475&acc=1&accumulate=1"},
      {-0.025, {}, "at=-0.025"},
      {-100, {}, "at=-100"},
      {20, {}, "at=20"},
      {0, {}, "at=0"},
      // k as the page holds it after tenths: a hair off the decimal value.
      {4.5 + 0.025 * 3 + 1e-13, {}, "at=4.575"},
      {6.6 - 1e-13, {.acc = true}, "at=6.6&acc=1"},
  };
  for (const auto& c : cases) {
    const std::optional<std::string> query = LinkQuery(c.k, c.switches);
    ASSERT_EQ(query, c.query) << c.k;
    const LinkRequest link = ReadLink(*query);
    EXPECT_TRUE(link.present);
    EXPECT_EQ(link.error, "");
    EXPECT_EQ(link.script, ScriptReaching(c.k, c.switches)) << *query;
  }
  for (const double k : {20.025, 20.25, -100.025, 4.51}) EXPECT_FALSE(LinkQuery(k, {})) << k;
}

TEST(Link, OtherParametersAreNotALinkAndStayAlone) {
  for (const std::string query :
       {"", "?", "script=97", "trace=1", "dump=1&size=5x5", "at_=3", "xat=1", "&&"}) {
    const LinkRequest link = ReadLink(query);
    EXPECT_FALSE(link.present) << query;
    EXPECT_EQ(link.error, "") << query;
  }
  // The link's parameters among others, in any order, with a leading "?", escaped as a browser
  // may escape them; others may repeat.
  const struct {
    std::string query, script;
  } cases[] = {
      {"?trace=1&acc=1&at=4.75", "8 97"},
      {"at=%34.75&x=y", "97"},
      {"acc=1", "8"},
      {"accumulate=0&acc=0", ""},
      {"x=1&at=4.75&x=2&lms=a&lms=b", "97"},
      {"at=4.75&accumulate=1", "47 97"},
      {"at=4750e-3", "97"},
  };
  for (const auto& c : cases) {
    const LinkRequest link = ReadLink(c.query);
    EXPECT_TRUE(link.present) << c.query;
    EXPECT_EQ(link.error, "") << c.query;
    EXPECT_EQ(link.script, c.script) << c.query;
  }
}

TEST(Link, ABadValueIsNamedInOneLine) {
  const struct {
    std::string query, named;
  } cases[] = {
      {"at=4.51", "at='4.51'"},
      {"at=21", "at='21'"},
      {"at=20.025&acc=1", "at='20.025'"},
      {"at=-100.025", "at='-100.025'"},
      {"at=abc", "at='abc'"},
      {"at=", "at=''"},
      {"at", "at=''"},
      {"at=6.5e", "at='6.5e': not a number"},
      {"at=NaN", "at='NaN': not a number"},
      {"at=6.5251", "at='6.5251': expected k from"},
      {"at=6.5&acc=2", "acc='2'"},
      {"acc=yes", "acc='yes'"},
      {"accumulate=", "accumulate=''"},
      {"accumulate=1&at=x", "at='x'"},
      // The configuration: four (two) numbers, lengths above 0, a longer rod, a known assembly.
      {"linkage=1,2,3", "linkage='1,2,3': expected four numbers"},
      {"at=6.5&linkage=0,7,25,31", "linkage='0,7,25,31': the fixed line O-Q 0 is not above 0"},
      {"piston=30,20",
       "piston='30,20': the connecting rod 20 is not longer than the crank radius 30"},
      {"reference=nan", "reference='nan': not a number"},
      {"assembly=diagonal", "assembly='diagonal': expected open or crossed"},
      {"linkage=1,2,3,4&linkage=1,2,3,4", "the link gives linkage twice"},
      // Escaped control characters never reach the message as they are.
      {"at=6%0A5", "at='6\\x0A5'"},
      {"acc=%1B%5B2J", "acc='\\x1B[2J'"},
  };
  for (const auto& c : cases) {
    const LinkRequest link = ReadLink(c.query);
    EXPECT_TRUE(link.present) << c.query;
    EXPECT_NE(link.error.find(c.named), std::string::npos) << c.query << ": " << link.error;
    EXPECT_EQ(link.error.find('\n'), std::string::npos) << link.error;
    EXPECT_EQ(link.script, "") << c.query;
  }
}

// The configuration rides along where it is not the built-in one, and a link opens it; the
// built-in configuration's links are what they always were.
TEST(Link, CarriesTheConfigurationWhereItIsNotTheBuiltInOne) {
  Configuration c = testing::PartlyClosing();
  c.reference = 60.25, c.assembly = Assembly::kCrossed, c.piston_radius = 20;
  const struct {
    Configuration config;
    std::string query;
  } cases[] = {
      {Configuration{}, "at=6.5&acc=1"},
      {testing::PartlyClosing(), "at=6.5&acc=1&linkage=10,9,8,15"},
      {c, "at=6.5&acc=1&linkage=10,9,8,15&reference=60.25&assembly=crossed&piston=20,100"},
  };
  for (const auto& k : cases) {
    EXPECT_EQ(LinkQuery(6.5, {.acc = true}, k.config), k.query);
    const LinkRequest link = ReadLink(k.query);
    EXPECT_EQ(link.error, "") << k.query;
    EXPECT_EQ(link.config, k.config) << k.query;
    EXPECT_EQ(link.script, *ScriptReaching(6.5, {.acc = true}));
  }
  // A configuration alone opens the first frame with it; a replay link may carry one too.
  const LinkRequest alone = ReadLink("piston=20,100&linkage=%31%30,9,8,15");
  EXPECT_TRUE(alone.present);
  EXPECT_EQ(alone.script, "");
  EXPECT_EQ(alone.config.ground, 10);
  EXPECT_EQ(ReadLinkConfiguration("script=97&assembly=crossed").config.assembly,
            Assembly::kCrossed);
  EXPECT_EQ(ReadLinkConfiguration("script=97&assembly=crossed").error, "");
}

// Every parameter's text, the built-in ones too, as a page framing this one is told them: read
// back, they are the same configuration.
TEST(Link, EveryParametersTextReadsBackAsTheSameConfiguration) {
  Configuration c = testing::PartlyClosing();
  c.reference = 60.25, c.assembly = Assembly::kCrossed, c.piston_radius = 20;
  const ConfigurationTexts built_in = TextsOf(Configuration{});
  EXPECT_EQ(built_in.linkage, "31.5,7,25,31");
  EXPECT_EQ(built_in.reference, "65");
  EXPECT_EQ(built_in.assembly, "open");
  EXPECT_EQ(built_in.piston, "25.5,100");
  for (const Configuration& config : {Configuration{}, c}) {
    Configuration read;
    EXPECT_EQ(ReadConfiguration(TextsOf(config), &read), std::nullopt);
    EXPECT_EQ(read, config);
  }
}

// One rule for a link and tarsel-render's command line: a parameter given twice is refused, not
// read by its first value or its last, and so is a script with a parameter that names a frame.
TEST(Link, ARepeatedParameterOrAScriptWithAFrameIsRefused) {
  const struct {
    std::string query, error;
  } refused[] = {
      {"at=4.5&at=junk", "the link gives at twice"},
      {"acc=1&x=2&acc=1", "the link gives acc twice"},
      {"at=5&%61t=5", "the link gives at twice"},
      {"script=97&dump=1&dump", "the link gives dump twice"},
      {"script=97&script=98", "the link gives script twice"},
      {"script=97&size=5x5&probe=1&probe=2", "the link gives probe twice"},
      {"script=97&at=6.5", "the link gives both script and at, which cannot be given together"},
      {"acc=0&script=", "the link gives both script and acc, which cannot be given together"},
      {"script=97&accumulate=1",
       "the link gives both script and accumulate, which cannot be given together"},
  };
  for (const auto& c : refused) {
    EXPECT_EQ(ReadQuery(c.query).error, c.error) << c.query;
    const LinkRequest link = ReadLink(c.query);
    EXPECT_EQ(link.error, c.error) << c.query;
    EXPECT_EQ(link.script, "") << c.query;
  }
  // Each parameter of the table read once, unescaped; one given without "=" is "".
  const LinkQueryValues read = ReadQuery("?script=97+8&probe=%2B3&dump&x=1&x=2&size=");
  EXPECT_EQ(read.error, "");
  EXPECT_EQ(read["script"], "97 8");
  EXPECT_EQ(read["probe"], "+3");
  EXPECT_EQ(read["dump"], "");
  EXPECT_EQ(read["size"], "");
  EXPECT_EQ(read["palette"], std::nullopt);
  EXPECT_EQ(read["at"], std::nullopt);
}

}  // namespace
}  // namespace tarsel
