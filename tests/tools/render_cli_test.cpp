// tarsel-render's answers to a command line that asks for nothing, and to a frames folder that
// an earlier export filled.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <string>

#include "tests/support/render_run.h"

namespace tarsel::testing {
namespace {

namespace fs = std::filesystem;

// Runs in the test's folder, so that relative names land there and what is written shows.
class RenderCommandLine : public RenderTest {
 protected:
  Result RunHere(const Lines& args) { return Run(args, "", "cd '" + Path("").string() + "' && "); }

  // The files of the folder, but for the run's captured output.
  std::set<std::string> Written() const {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(Path(""))) {
      names.insert(entry.path().filename().string());
    }
    names.erase("stdout.txt");
    names.erase("stderr.txt");
    return names;
  }
};

TEST_F(RenderCommandLine, NoArgumentsGiveTheUsageOnStderrAndStatus2) {
  const Result r = RunHere({});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.err.rfind("usage: tarsel-render", 0), 0u) << r.err;
  EXPECT_NE(r.err.find("--frames DIR"), std::string::npos);
  EXPECT_EQ(r.out, "");
  EXPECT_TRUE(Written().empty()) << "wrote something";
  // --help still answers on stdout with status 0.
  const Result help = RunHere({"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_EQ(help.out.rfind("usage: tarsel-render", 0), 0u);
}

TEST_F(RenderCommandLine, RefusedFramesFolderNamesItsLowestNumberedFrame) {
  // Many frames, in whatever order the folder lists them, and names that are not frames.
  const fs::path frames = Path("sweep");
  fs::create_directory(frames);
  for (int n = 11; n <= 60; ++n) std::ofstream(frames / ("frame-0" + std::to_string(n) + ".png"));
  for (const char* name : {"frame-1000.png", "frame-010.png", "frame-1.png", "frame-007.txt"}) {
    std::ofstream(frames / name);
  }
  const Result r = RunHere({"--script", "97", "--frames", "sweep"});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.err,
            "tarsel-render: 'sweep' already holds frame-010.png; use --force to overwrite\n");
}

// The help and a refusal in German, from a catalogue of a few texts of the test's own: the
// same status and the same number of lines as in English, the option names and the layout kept.
class RenderLanguage : public RenderCommandLine {
 protected:
  Result RunIn(const std::string& language, const Lines& args) {
    return Run(args, "",
               "cd '" + Path("").string() + "' && env -u LC_ALL -u LC_MESSAGES -u LANG LANGUAGE=" +
                   language + " TARSEL_LOCALEDIR='" TARSEL_TEST_LOCALEDIR "' ");
  }
};

TEST_F(RenderLanguage, HelpInGermanKeepsItsLinesAndStatus) {
  const Result english = RunIn("en", {"--help"});
  const Result german = RunIn("de", {"--help"});
  ASSERT_EQ(english.status, 0);
  EXPECT_EQ(german.status, 0);
  EXPECT_EQ(SplitLines(german.out).size(), SplitLines(english.out).size());
  EXPECT_NE(english.out.find("Runs the animation without a window"), std::string::npos);
  EXPECT_NE(german.out.find("Spielt die Animation ohne Fenster ab"), std::string::npos);
  // A translated description stands in the column of the others; the synopsis is untouched.
  EXPECT_NE(german.out.find("\n  --png FILE       die Zeichenfläche am Ende des Laufs\n"),
            std::string::npos)
      << german.out;
  EXPECT_EQ(german.out.substr(0, german.out.find("\n\n")),
            english.out.substr(0, english.out.find("\n\n")));
  // A text the catalogue lacks stays English.
  EXPECT_NE(german.out.find("  --gif FILE       the same frames as one looping animated GIF\n"),
            std::string::npos);
}

TEST_F(RenderLanguage, RefusalsInGermanKeepOneLineAndStatus2) {
  const struct {
    const char* name;
    Lines args;
    const char* german;
  } cases[] = {
      {"bad value",
       {"--delay", "5", "--png", "a.png"},
       "tarsel-render: ungültiges --delay '5': erwartet Millisekunden von 10 bis 655350\n"},
      {"unknown argument",
       {"--colour"},
       "tarsel-render: unbekanntes Argument '--colour' (siehe --help)\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const Result english = RunIn("en", c.args);
    const Result german = RunIn("de", c.args);
    ExpectRejected(english, "tarsel-render: ", c.name);
    ExpectRejected(german, "tarsel-render: ", c.name);
    EXPECT_EQ(german.err, c.german);
    EXPECT_TRUE(Written().empty()) << "wrote something";
  }
}

}  // namespace
}  // namespace tarsel::testing
