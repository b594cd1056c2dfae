// tarsel-render's data and mechanism outputs: what it writes equals the core's export of the
// same state, bad values are refused before anything is drawn.
#include <gtest/gtest.h>

#include <algorithm>

#include "app/image_view.h"
#include "export/data_csv.h"
#include "export/replay.h"
#include "render/probe_view.h"
#include "tests/support/render_run.h"

namespace tarsel::testing {
namespace {

class DataOutputs : public RenderTest {};

TEST_F(DataOutputs, TheFilesAreTheCoresExportOfTheLastFrame) {
  const std::string script = "97 8 44 13";
  const Result r = Run({"--script", script, "--csv", Path("f.csv"), "--piston-csv", Path("p.csv"),
                        "--mechanism", Path("m.png"), "--probe", "101.5", "--scale", "2"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  Replay replay(*ParseScript(script, nullptr), nullptr, nullptr);
  replay.Run();
  EXPECT_EQ(ReadFile(Path("f.csv")), LinkageCsv(replay.state()));
  EXPECT_EQ(ReadFile(Path("p.csv")), PistonCsv(replay.state()));
  ProbeView view;
  view.Update(replay.state(), 101.5, 2);
  const QImage expected = ImageView(view.picture()).convertToFormat(QImage::Format_RGB32);
  const QImage got = Rgb32(Path("m.png"));
  EXPECT_EQ(got.size(), expected.size());
  EXPECT_TRUE(got == expected);
  // Nothing else is left behind: the files were complete before they took their names.
  EXPECT_FALSE(std::filesystem::exists(Path("f.csv.part")));
}

TEST_F(DataOutputs, BadValuesAreRefused) {
  ExpectRejected(Run({"--probe", "70"}), "--mechanism", "a probe without a mechanism view");
  ExpectRejected(Run({"--mechanism", Path("m.png"), "--probe", "x"}), "--probe", "a bad probe");
  ExpectRejected(Run({"--mechanism", Path("m.png"), "--probe", "2e6"}), "--probe",
                 "a probe out of range");
  ExpectRejected(Run({"--csv", ""}), "--csv", "an empty file name");
  ExpectRejected(Run({"--csv", Path("no/such/dir/f.csv")}), "f.csv", "an unwritable file");
  EXPECT_FALSE(std::filesystem::exists(Path("m.png")));
}

// --csv-style semicolon: every CSV with the cells of the comma form, "," turned into ";" and the
// decimal points into commas; --csv-style comma is the default's bytes. Asked of the built-in
// mechanism and of a linkage that closes on part of its turn (empty cells).
TEST_F(DataOutputs, TheSemicolonStyleSwapsTheSeparatorsOfEveryCsv) {
  struct Case {
    const char* name;
    Lines configuration;
  };
  const Case cases[] = {{"built in", {}},
                        {"partly closing", {"--linkage", "10,9,8,15", "--piston", "20,60"}}};
  const std::vector<std::string> outputs = {"--csv", "--piston-csv", "--timing-csv"};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const auto files = [&](const std::string& tag, const Lines& style) {
      Lines args = {"--at", "6.5"};
      args.insert(args.end(), c.configuration.begin(), c.configuration.end());
      args.insert(args.end(), style.begin(), style.end());
      for (const std::string& o : outputs) args.insert(args.end(), {o, Path(tag + o + ".csv")});
      const Result r = Run(args);
      EXPECT_EQ(r.status, 0) << r.err;
      std::vector<std::string> read;
      for (const std::string& o : outputs) read.push_back(ReadFile(Path(tag + o + ".csv")));
      return read;
    };
    const auto plain = files("a", {});
    const auto comma = files("b", {"--csv-style", "comma"});
    const auto semicolon = files("c", {"--csv-style", "semicolon"});
    for (std::size_t i = 0; i < outputs.size(); ++i) {
      SCOPED_TRACE(outputs[i]);
      EXPECT_TRUE(comma[i] == plain[i]);
      std::string swapped = plain[i];
      std::replace(swapped.begin(), swapped.end(), ',', ';');
      std::replace(swapped.begin(), swapped.end(), '.', ',');
      EXPECT_TRUE(semicolon[i] == swapped);
      EXPECT_GT(std::count(semicolon[i].begin(), semicolon[i].end(), ';'), 10);
    }
  }
  const Result bad = Run({"--csv-style", "semicolons", "--csv", Path("d.csv")});
  ExpectRejected(bad, "--csv-style 'semicolons'", "an unknown CSV style");
  EXPECT_EQ(bad.err, "tarsel-render: bad --csv-style 'semicolons': expected comma or semicolon\n");
  ExpectRejected(Run({"--csv-style", "", "--csv", Path("d.csv")}), "--csv-style ''",
                 "an empty CSV style");
  EXPECT_FALSE(std::filesystem::exists(Path("d.csv")));
  EXPECT_FALSE(std::filesystem::exists(Path("d.csv.part")));
}

// The configuration reaches every output: the built-in one spelled out gives today's bytes, and
// a linkage that closes on part of its turn writes no number that is not one.
class ConfiguredOutputs : public RenderTest {
 protected:
  // Every output of one run, by name.
  std::vector<std::string> Outputs(const Lines& extra, const std::string& tag) {
    const std::vector<std::string> names = {"log", "png", "csv", "m.png", "svg", "report"};
    Lines args = {"--at",        "6.5",
                  "--acc",       "--label",
                  "--log",       Path(tag + "log"),
                  "--png",       Path(tag + "png"),
                  "--csv",       Path(tag + "csv"),
                  "--mechanism", Path(tag + "m.png"),
                  "--svg",       Path(tag + "svg"),
                  "--report",    Path(tag + "report")};
    args.insert(args.end(), extra.begin(), extra.end());
    const Result r = Run(args);
    EXPECT_EQ(r.status, 0) << r.err;
    std::vector<std::string> files;
    for (const std::string& n : names) files.push_back(ReadFile(Path(tag + n)));
    return files;
  }
};

TEST_F(ConfiguredOutputs, TheBuiltInOneSpelledOutGivesTheSameBytes) {
  const auto plain = Outputs({}, "a.");
  const auto spelled = Outputs({"--linkage", "31.5,7,25,31", "--reference", "65", "--assembly",
                                "open", "--piston", "25.5,100"},
                               "b.");
  for (std::size_t i = 0; i < plain.size(); ++i) EXPECT_TRUE(plain[i] == spelled[i]) << i;
}

TEST_F(ConfiguredOutputs, APartlyClosingLinkageWritesOnlyNumbersAndEmptyCells) {
  const auto files = Outputs({"--linkage", "10,9,8,15", "--piston", "20,60"}, "c.");
  for (const std::string& f : files) {
    for (const char* word : {"nan", "inf", "NaN", "Inf"}) {
      EXPECT_EQ(f.find(word), std::string::npos) << word;
    }
  }
  // Rows of points that do not close leave ff, blue_x, Rx, Ry and phi empty.
  const Lines rows = SplitLines(files[2]);
  int open = 0;
  for (const std::string& row : rows) open += row.find(",,,") != std::string::npos;
  EXPECT_GT(open, 10);
  EXPECT_LT(open, 190);
  EXPECT_NE(files[5].find("\"class\": \"triple-rocker\""), std::string::npos);
  EXPECT_NE(files[5].find("\"piston\": [20, 60]"), std::string::npos);
  EXPECT_NE(files[5].find("\"stroke\": 40"), std::string::npos);
  // The label names the configuration; the built-in one's does not.
  EXPECT_NE(Picture("97", {"--label", "--linkage", "10,9,8,15"}), Picture("97", {"--label"}));
}

}  // namespace
}  // namespace tarsel::testing
