// The one way every output is written: under a temporary name beside the target, put in place
// only when complete, and gone without a trace when the run does not get that far.
#include "export/safe_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <string>

#include "tests/support/render_run.h"

namespace tarsel::testing {
namespace {

namespace fs = std::filesystem;

// The names in a folder, hidden ones included.
std::set<std::string> Names(const fs::path& dir) {
  std::set<std::string> names;
  for (const auto& e : fs::directory_iterator(dir)) names.insert(e.path().filename().string());
  return names;
}

void Write(SafeFile& file, const std::string& text) {
  ASSERT_NE(file.stream(), nullptr);
  ASSERT_EQ(std::fwrite(text.data(), 1, text.size(), file.stream()), text.size());
}

TEST_F(RenderTest, ASafeFileChangesNothingUntilItsCommit) {
  const fs::path f = Path("f.txt");
  std::ofstream(f) << "earlier";
  fs::permissions(f, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  {
    SafeFile file;
    ASSERT_EQ(file.Open(f.string()), "");
    Write(file, "later");
    ASSERT_EQ(file.Complete(), "");
    EXPECT_EQ(ReadFile(f), "earlier");
    EXPECT_EQ(Names(Path("")).size(), 2u) << "the temporary file beside it";
    ASSERT_EQ(file.Commit(), "");
  }
  EXPECT_EQ(ReadFile(f), "later");
  EXPECT_EQ(Names(Path("")), std::set<std::string>{"f.txt"});
  // The file it replaced had its own permissions: the new one keeps them.
  EXPECT_EQ(fs::status(f).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);

  // Without a commit (a refused, failed or stopped run) nothing is left of it.
  for (const std::string name : {"f.txt", "new.txt"}) {
    SafeFile file;
    ASSERT_EQ(file.Open(Path(name).string()), "");
    Write(file, "never");
  }
  EXPECT_EQ(ReadFile(f), "later");
  EXPECT_EQ(Names(Path("")), std::set<std::string>{"f.txt"});
}

TEST_F(RenderTest, ASafeFileWritesWhereALinkLeadsAndDevicesInPlace) {
  std::ofstream(Path("target.gif")) << "earlier";
  fs::create_directory(Path("there"));
  // Each link as `ln -s TO NAME` makes it: relative links are read from their own folder.
  const struct {
    std::string name, to;
  } links[] = {
      {"link.gif", "target.gif"},
      {"dangling.png", "new.png"},
      {"chain.png", "there/hop.png"},
      {"there/hop.png", "../there/end.png"},
      {"absolute.png", Path("there/abs.png").string()},
  };
  for (const auto& l : links) fs::create_symlink(l.to, Path(l.name));
  // The file each link leads to: written there, through a temporary file in its folder, while
  // the link stays a link; it is the same file as that name for the check of the outputs.
  const struct {
    std::string link, target;
  } cases[] = {
      {"link.gif", "target.gif"},
      {"dangling.png", "new.png"},
      {"chain.png", "there/end.png"},
      {"absolute.png", "there/abs.png"},
  };
  for (const auto& c : cases) {
    const fs::path folder = Path(c.target).parent_path();
    const std::size_t names = Names(folder).size();
    SafeFile file;
    ASSERT_EQ(file.Open(Path(c.link).string()), "") << c.link;
    EXPECT_EQ(Names(folder).size(), names + 1)
        << c.link << ": the temporary file beside " << c.target;
    Write(file, "later " + c.link);
    ASSERT_EQ(file.Commit(), "") << c.link;
    EXPECT_TRUE(fs::is_symlink(Path(c.link))) << c.link;
    EXPECT_EQ(ReadFile(Path(c.target)), "later " + c.link) << c.link;
    EXPECT_EQ(Names(folder).size(), names + (c.target == "target.gif" ? 0 : 1)) << c.link;
  }
  // Dangling again, the links still name the files they lead to.
  fs::remove(Path("new.png"));
  fs::remove(Path("there/end.png"));
  EXPECT_TRUE(TargetOf(Path("link.gif").string()).SameAs(TargetOf(Path("target.gif").string())));
  EXPECT_TRUE(TargetOf(Path("dangling.png").string()).SameAs(TargetOf(Path("new.png").string())));
  EXPECT_TRUE(
      TargetOf(Path("chain.png").string()).SameAs(TargetOf(Path("there/end.png").string())));
  EXPECT_FALSE(TargetOf(Path("other.gif").string()).SameAs(TargetOf(Path("target.gif").string())));
  EXPECT_FALSE(
      TargetOf(Path("dangling.png").string()).SameAs(TargetOf(Path("chain.png").string())));

  SafeFile null;
  ASSERT_EQ(null.Open("/dev/null"), "");
  Write(null, "gone");
  ASSERT_EQ(null.Commit(), "");
  EXPECT_TRUE(fs::is_character_file("/dev/null"));
  SafeFile full;
  ASSERT_EQ(full.Open("/dev/full"), "");
  const std::string bytes(1 << 17, 'x');
  EXPECT_LT(std::fwrite(bytes.data(), 1, bytes.size(), full.stream()), bytes.size());
  EXPECT_EQ(full.Commit(), "writing '/dev/full' failed: No space left on device");
}

TEST_F(RenderTest, ASafeFileRefusesWhatCannotBeWritten) {
  std::ofstream(Path("plain")) << "x";
  const struct {
    std::string path, error;
  } cases[] = {
      {Path("").string(), "': Is a directory"},
      {"/nonexistent/dir/x.png",
       "cannot write '/nonexistent/dir/x.png': No such file or directory"},
      {Path("plain/x.png").string(), "plain/x.png': Not a directory"},
      // On one line, its control characters escaped.
      {Path("bad\n\x1b.png/x").string(), "/bad\\x0A\\x1B.png/x': No such file or directory"},
  };
  for (const auto& c : cases) {
    SafeFile file;
    const std::string error = file.Open(c.path);
    EXPECT_NE(error.find(c.error), std::string::npos) << error;
    EXPECT_EQ(error.rfind("cannot write '", 0), 0u) << error;
  }
  EXPECT_EQ(Names(Path("")), std::set<std::string>{"plain"});
}

TEST_F(RenderTest, ASafeFolderMovesItsFilesInTogether) {
  const fs::path dir = Path("frames");
  fs::create_directory(dir);
  for (const char* name : {"frame-001.png", "frame-002.png", "frame-003.png", "notes.txt"}) {
    std::ofstream(dir / name) << "earlier";
  }
  {
    SafeFolder folder;
    ASSERT_EQ(folder.Open(dir.string()), "");
    EXPECT_TRUE(folder.existed());
    EXPECT_EQ(folder.staging().parent_path(), fs::canonical(dir));
    for (const char* name : {"frame-001.png", "frame-002.png"}) {
      std::ofstream(folder.staging() / name) << "later";
    }
    EXPECT_EQ(ReadFile(dir / "frame-001.png"), "earlier");
    ASSERT_EQ(folder.Complete(), "");
    ASSERT_EQ(folder.Commit({"frame-003.png"}), "");
  }
  EXPECT_EQ(Names(dir), (std::set<std::string>{"frame-001.png", "frame-002.png", "notes.txt"}));
  EXPECT_EQ(ReadFile(dir / "frame-002.png"), "later");
  EXPECT_EQ(ReadFile(dir / "notes.txt"), "earlier");

  // A folder that does not exist yet, two levels down: made only at the commit.
  const fs::path deep = Path("a/b/c");
  {
    SafeFolder dropped;
    ASSERT_EQ(dropped.Open(deep.string()), "");
    std::ofstream(dropped.staging() / "frame-001.png") << "never";
  }
  EXPECT_EQ(Names(Path("")), std::set<std::string>{"frames"});
  SafeFolder folder;
  ASSERT_EQ(folder.Open(deep.string()), "");
  EXPECT_FALSE(folder.existed());
  std::ofstream(folder.staging() / "frame-001.png") << "later";
  ASSERT_EQ(folder.Commit({}), "");
  EXPECT_EQ(Names(deep), std::set<std::string>{"frame-001.png"});
  EXPECT_EQ(Names(Path("")), (std::set<std::string>{"a", "frames"}));
}

}  // namespace
}  // namespace tarsel::testing
