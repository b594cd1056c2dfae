// tarsel-render's data and mechanism outputs: what it writes equals the core's export of the
// same state, bad values are refused before anything is drawn.
#include <gtest/gtest.h>

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

}  // namespace
}  // namespace tarsel::testing
