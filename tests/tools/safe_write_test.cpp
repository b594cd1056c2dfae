// Nothing a teacher has is lost: a run that is refused, fails, runs out of memory or is
// interrupted leaves every earlier file with its exact bytes and no new file behind, and says
// why in one line.
#include <signal.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/render_run.h"
#include "tests/support/sanitizer.h"

namespace tarsel::testing {
namespace {

namespace fs = std::filesystem;
using Files = std::map<std::string, std::string>;

// 621 frames: Enter 620 times, a tenth of a step each.
const std::string kLongScript = Repeat("13", 620);

class SafeWrites : public RenderTest {
 protected:
  // Runs in the test's folder, so that relative names land there.
  Result RunHere(const Lines& args, const std::string& prefix = "") {
    return Run(args, "", prefix + "cd '" + Path("").string() + "' && ");
  }

  // Every file of the test's folder with its bytes (hidden ones and those in folders too), but
  // for the captured output of the runs.
  Files Snapshot() const {
    Files files;
    for (const auto& entry : fs::recursive_directory_iterator(Path(""))) {
      const std::string name = fs::relative(entry.path(), Path("")).string();
      if (name == "stdout.txt" || name == "stderr.txt") continue;
      files[name] = entry.is_directory() ? "(folder)" : ReadFile(entry.path());
    }
    return files;
  }

  // tarsel-render started in the test's folder without waiting for it, its standard error in
  // stderr.txt there, with the stop signals as a shell leaves them: for a test that stops it.
  pid_t Start(Lines args) const {
    args.insert(args.begin(), TARSEL_RENDER);
    const pid_t pid = fork();
    if (pid != 0) return pid;
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    if (chdir(Path("").c_str()) != 0) _exit(126);
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
    std::freopen("stderr.txt", "w", stderr);
    execv(argv[0], argv.data());
    _exit(127);
  }

  // A GIF, a log and a PNG from a good run, and a folder of frames with a file of the user's.
  void MakeEarlierFiles() {
    ASSERT_EQ(RunHere({"--script", "97 8", "--gif", "good.gif", "--log", "good.log", "--png",
                       "good.png", "--frames", "F", "--size", "320x229"})
                  .status,
              0);
    std::ofstream(Path("F/notes.txt")) << "mine";
  }
};

// The frames an export has made so far: the files of the temporary folder in `dir`.
long StagedFrames(const fs::path& dir) {
  long n = 0;
  for (const auto& entry : fs::directory_iterator(dir)) {
    if (entry.path().filename().string().starts_with(".tarsel-frames-")) {
      n += std::distance(fs::directory_iterator(entry.path()), fs::directory_iterator());
    }
  }
  return n;
}

// Files left exactly as they were: no byte changed, none added, none removed.
void ExpectUnchanged(const Files& before, const Files& after, const std::string& what) {
  EXPECT_EQ(before.size(), after.size()) << what;
  for (const auto& [name, bytes] : after) {
    const auto earlier = before.find(name);
    if (earlier == before.end()) {
      ADD_FAILURE() << what << ": left a new file " << name;
    } else {
      EXPECT_TRUE(earlier->second == bytes) << what << ": changed " << name;
    }
  }
}

TEST_F(SafeWrites, RefusedRunsTouchNoFile) {
  MakeEarlierFiles();
  fs::create_symlink("good.gif", Path("link.gif"));
  fs::create_symlink("later.png", Path("dangling.png"));
  const Files before = Snapshot();
  const struct {
    Lines args;
    std::string named;
  } cases[] = {
      // A later output refused: the earlier ones were opened first, and kept their bytes.
      {{"--gif", "good.gif", "--log", "good.log", "--video", "/nonexistent/v.mp4"},
       "'/nonexistent/v.mp4': No such file or directory"},
      {{"--log", "good.log", "--frames", "F"}, "'F' already holds frame-001.png"},
      {{"--log", "good.log", "--png", "."}, "cannot write '.': Is a directory"},
      {{"--log", "good.log", "--frames", "good.gif"}, "'good.gif' exists and is not a directory"},
      // Two outputs on one file, by the same name or through a link.
      {{"--png", "x", "--gif", "x"}, "--png and --gif name the same file 'x'"},
      {{"--gif", "x.mp4", "--video", "x.mp4"}, "--gif and --video name the same file 'x.mp4'"},
      {{"--video", "x.mp4", "--log", "x.mp4"}, "--log and --video name the same file 'x.mp4'"},
      {{"--png", "good.gif", "--gif", "link.gif"}, "--png and --gif name the same file"},
      {{"--png", "later.png", "--svg", "dangling.png"},
       "--png and --svg name the same file 'dangling.png'"},
      {{"--log", "good.log", "--png", "./x/../good.log"}, "same file"},
      {{"--frames", "F", "--gif", "F", "--force"}, "--frames and --gif name the same file 'F'"},
      {{"--svg", "good.png", "--png", "good.png"}, "--png and --svg name the same file"},
      {{"--pdf", "p", "--csv", "p"}, "--csv and --pdf name the same file 'p'"},
      // The vector pictures and the data are written at the end, but refused at the start.
      {{"--log", "good.log", "--svg", "/nonexistent/s.svg"}, "'/nonexistent/s.svg'"},
      {{"--gif", "good.gif", "--pdf", "."}, "cannot write '.': Is a directory"},
      // An output among the frames would be overwritten, or removed by --force.
      {{"--frames", ".", "--png", "frame-001.png"}, "--png 'frame-001.png' is one of the frames"},
      {{"--frames", "F", "--force", "--log", "F/frame-009.png"}, "one of the frames of --frames"},
      // More memory than an export may take.
      {{"--log", "good.log", "--size", "4096x4096", "--video", "good.webm"},
       "too large an export: with 4096 x 4096 pictures it needs about 7.9 GB of memory, more "
       "than the 2.0 GB an export may take"},
  };
  for (const auto& c : cases) {
    const std::string what = ::testing::PrintToString(c.args);
    ExpectRejected(RunHere(c.args), c.named, what);
    ExpectUnchanged(before, Snapshot(), what);
  }
  // A device keeps no bytes to lose: outputs sent to /dev/null together are not refused.
  const Result discarded = RunHere({"--script", "97", "--png", "/dev/null", "--svg", "/dev/null",
                                    "--csv", "/dev/null", "--size", "320x229"});
  EXPECT_EQ(discarded.status, 0) << discarded.err;
  ExpectUnchanged(before, Snapshot(), "outputs to /dev/null");
}

// Ctrl+C or kill halfway through a long export: the export ends at once, says what it left
// unwritten, and leaves the earlier GIF, video, frames and picture as they were.
TEST_F(SafeWrites, InterruptedExportsLeaveEveryFileAsItWas) {
  MakeEarlierFiles();
  ASSERT_EQ(RunHere({"--script", "97", "--video", "good.mp4", "--size", "320x229"}).status, 0);
  const Files before = Snapshot();
  const Lines args = {"--script", kLongScript, "--size", "320x229", "--gif", "good.gif", "--video",
                      "good.mp4", "--frames",  "F",      "--force", "--png", "good.png"};
  for (const int sig : {SIGINT, SIGTERM}) {
    const pid_t pid = Start(args);
    // Halfway: when the temporary folder holds half of the 621 frames.
    const auto staged = [&] { return StagedFrames(Path("F")); };
    const auto start = std::chrono::steady_clock::now();
    while (staged() < 310 && std::chrono::steady_clock::now() - start < std::chrono::minutes(2)) {
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    const long frames_then = staged();
    ASSERT_GE(frames_then, 310) << "the export did not get halfway";
    ASSERT_EQ(kill(pid, sig), 0);
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    const double stopped_in =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    // Ended by the signal itself, as the shell then reports it (130, 143).
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == sig) << status;
    const std::string err = ReadFile(Path("stderr.txt"));
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
    EXPECT_NE(err.find(std::string("tarsel-render: stopped by ") +
                       (sig == SIGINT ? "SIGINT" : "SIGTERM") + " at frame "),
              std::string::npos)
        << err;
    EXPECT_NE(err.find(" of 621; not written: --frames 'F', --gif 'good.gif', --video "
                       "'good.mp4', --png 'good.png'\n"),
              std::string::npos)
        << err;
    fs::remove(Path("stderr.txt"));
    ExpectUnchanged(before, Snapshot(), err);
    RecordProperty(sig == SIGINT ? "sigint_seconds" : "sigterm_seconds",
                   std::to_string(stopped_in));
  }
}

// A stop while a named pipe is being opened, before anything reads it (mkfifo f; tarsel-render
// --log f & kill $!): the open is interrupted by the stop, and the run ends as any stopped run
// does, with its line and by the signal, leaving no temporary file.
TEST_F(SafeWrites, AStopWhileAPipeOpensIsTheUsualStop) {
  ASSERT_EQ(mkfifo(Path("fifo").c_str(), 0600), 0);
  const struct {
    Lines args;
    std::string unwritten;
  } cases[] = {
      {{"--log", "fifo"}, "--log 'fifo'"},
      // The picture's temporary file is made first, then the GIF waits for a reader.
      {{"--png", "p.png", "--gif", "fifo"}, "--gif 'fifo', --png 'p.png'"},
  };
  for (const auto& c : cases) {
    const std::string what = ::testing::PrintToString(c.args);
    const pid_t pid = Start(c.args);
    // Until the kernel has it waiting in the open for the other end of the pipe.
    const std::string wchan = "/proc/" + std::to_string(pid) + "/wchan";
    const auto start = std::chrono::steady_clock::now();
    while (ReadFile(wchan) != "wait_for_partner" && ReadFile(wchan) != "fifo_open" &&
           std::chrono::steady_clock::now() - start < std::chrono::seconds(5)) {
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    ASSERT_EQ(kill(pid, SIGTERM), 0) << what;
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid) << what;
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM) << what << ": " << status;
    EXPECT_EQ(
        ReadFile(Path("stderr.txt")),
        "tarsel-render: stopped by SIGTERM at frame 0 of 1; not written: " + c.unwritten + "\n")
        << what;
    // Only the pipe is left: read by name, not opened (that would wait for a writer).
    std::set<std::string> names;
    for (const auto& e : fs::directory_iterator(Path(""))) {
      names.insert(e.path().filename().string());
    }
    EXPECT_EQ(names, (std::set<std::string>{"fifo", "stderr.txt"})) << what;
  }
}

// On a terminal the progress line is erased before the line that says what was stopped.
TEST_F(SafeWrites, AStoppedExportErasesItsProgressLine) {
  const std::string pid_file = Path("pid").string();
  // The shell that script(1) starts writes its process number, then becomes tarsel-render.
  std::string command = "echo \\$\\$ >'" + pid_file + "'; exec '" + std::string(TARSEL_RENDER) +
                        "' --script '" + kLongScript + "' --size 320x229 --video '" +
                        Path("v.webm").string() + "' --frames '" + Path("F").string() + "'";
  // script(1) runs the command on a pseudo-terminal and copies what it writes.
  std::FILE* pipe = popen(("script -q -e -c \"" + command + "\" /dev/null").c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  // Until the progress line has been shown (after a second), with frames in the making.
  const auto start = std::chrono::steady_clock::now();
  const auto staged = [&] { return StagedFrames(Path("")); };
  while ((staged() < 50 ||
          std::chrono::steady_clock::now() - start < std::chrono::milliseconds(1500)) &&
         std::chrono::steady_clock::now() - start < std::chrono::minutes(2)) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  const pid_t pid = std::stoi(ReadFile(pid_file));
  ASSERT_EQ(kill(pid, SIGTERM), 0);
  std::string shown;
  char buffer[4096];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
    shown.append(buffer, n);
  pclose(pipe);
  EXPECT_NE(shown.find("\rtarsel-render: frame "), std::string::npos) << shown;
  const std::string end = "\r\033[Ktarsel-render: stopped by SIGTERM at frame ";
  const std::size_t at = shown.rfind(end);
  ASSERT_NE(at, std::string::npos) << shown;
  EXPECT_NE(shown.find("; not written: --frames '", at), std::string::npos) << shown;
  EXPECT_EQ(shown.find("\r\ntarsel-render: frame", at), std::string::npos) << shown;
  fs::remove(pid_file);
  EXPECT_TRUE(Snapshot().empty()) << "left " << Snapshot().begin()->first;
}

// A disk that fills up during the write: the message names the cause in the system's words,
// never a library's "Write Error", and the earlier file keeps its bytes. A file size limit
// (ulimit -f) fails each write the same way on every machine; a small file system of its own,
// where the test may mount one, is the real thing.
TEST_F(SafeWrites, AFullDiskNamesItsCauseAndKeepsTheEarlierFile) {
  MakeEarlierFiles();
  ASSERT_EQ(RunHere({"--script", "97", "--video", "good.mp4", "--size", "320x229"}).status, 0);
  const Files before = Snapshot();
  // 60 KB: more than any file of the earlier run, less than each of these.
  const std::string limit = "ulimit -f 60 && ";
  const struct {
    Lines args;
    std::string named;
  } cases[] = {
      {{"--at", "6.5", "--scale", "2", "--png", "good.png"}, "good.png"},
      {{"--script", Repeat("97", 20), "--gif", "good.gif"}, "good.gif"},
      {{"--script", "97", "--log", "good.log"}, "the log 'good.log"},
      {{"--script", Repeat("97", 20), "--video", "good.mp4", "--video-scale", "1"}, "good.mp4"},
  };
  for (const auto& c : cases) {
    const std::string what = ::testing::PrintToString(c.args);
    ExpectRejected(RunHere(c.args, limit), c.named + "' failed: File too large", what);
    ExpectUnchanged(before, Snapshot(), what);
  }
  // One frame past the limit: the folder keeps the earlier export's frames.
  ExpectRejected(RunHere({"--script", "97", "--frames", "F", "--force", "--scale", "3"}, limit),
                 "F/frame-001.png' failed: File too large", "--frames");
  ExpectUnchanged(before, Snapshot(), "--frames");

  // A file system of 2 MB with a good picture on it, nearly full.
  const fs::path disk = Path("disk");
  fs::create_directory(disk);
  if (geteuid() != 0 || mount("tarsel-test", disk.c_str(), "tmpfs", 0, "size=2m") != 0) {
    GTEST_SKIP() << "no file system of its own to fill (needs root and mount): ulimit -f only";
  }
  fs::copy_file(Path("good.png"), disk / "p.png");
  std::ofstream(disk / "filler") << std::string(2 * 1024 * 1024 - 100 * 1024, 'x');
  const std::string picture = ReadFile(disk / "p.png");
  const Result r = RunHere({"--at", "6.5", "--scale", "2", "--png", "disk/p.png"});
  const std::set<std::string> left = [&] {
    std::set<std::string> names;
    for (const auto& e : fs::directory_iterator(disk)) names.insert(e.path().filename().string());
    return names;
  }();
  const bool same = ReadFile(disk / "p.png") == picture;
  umount(disk.c_str());
  ExpectRejected(r, "writing 'disk/p.png' failed: No space left on device", "full tmpfs");
  EXPECT_TRUE(same) << "p.png changed";
  EXPECT_EQ(left, (std::set<std::string>{"filler", "p.png"}));
}

// Out of memory: the export is refused before it touches a file, with the size of the
// picture, where it used to end in an abort with a file of 0 bytes. Beyond what any export
// may take, it is refused on every machine.
TEST_F(SafeWrites, NotEnoughMemoryIsOneLineAndTouchesNoFile) {
  MakeEarlierFiles();
  const Files before = Snapshot();
  ExpectRejected(RunHere({"--size", "8192x8192", "--video", "good.webm", "--video-scale", "1",
                          "--png", "good.png"}),
                 "too large an export: with 8192 x 8192 pictures it needs about 8.1 GB", "webm");
  ExpectUnchanged(before, Snapshot(), "the largest WebM");
#if TARSEL_HAS_ASAN
  GTEST_SKIP() << "the address space limit conflicts with the sanitizer's shadow memory";
#else
  const std::string limit = "ulimit -v 800000 && ";
  for (const Lines& args :
       {Lines{"--size", "8192x8192", "--gif", "good.gif", "--script", "a"},
        Lines{"--size", "8192x8192", "--label", "--gif", "good.gif", "--png", "good.png"}}) {
    const std::string what = ::testing::PrintToString(args);
    const Result r = RunHere(args, limit);
    ExpectRejected(r, "not enough memory for a 8192 x 8192 picture: the export needs about ", what);
    EXPECT_NE(r.err.find("the limit on memory (ulimit -v) leaves"), std::string::npos) << r.err;
    ExpectUnchanged(before, Snapshot(), what);
  }
  // What fits under the limit is made: the labelled picture takes two images of 256 MiB.
  const Result fits = RunHere({"--size", "8192x8192", "--label", "--png", "good.png"}, limit);
  EXPECT_EQ(fits.status, 0) << fits.err;
  Files after = Snapshot();
  // Its size from the PNG header (Qt's reader stops at 256 MiB of pixels).
  const std::string png = ReadFile(Path("good.png"));
  ASSERT_GE(png.size(), 24u);
  EXPECT_EQ(png.substr(16, 8), std::string("\0\0\x20\0\0\0\x20\0", 8));
  after["good.png"] = before.at("good.png");
  ExpectUnchanged(before, after, "the labelled picture, but for the picture itself");
#endif
}

// The user's bytes in messages are escaped onto one line, so that no escape sequence reaches
// the terminal and no newline splits the line; file names are used as they are: a name that
// is not UTF-8 (a Latin-1 folder's) is neither refused nor rewritten.
TEST_F(SafeWrites, NamesKeepTheirBytesAndMessagesStayOnOneLine) {
  const struct {
    Lines args;
    std::string named;
  } refused[] = {
      {{"--script", "97 a\x1b[31m\nb"}, "malformed script token 'a\\x1B[31m\\x0Ab'"},
      {{"--png", "no\x1b]0;x\x07/p\n.png"}, "'no\\x1B]0;x\\x07/p\\x0A.png': No such file"},
      {{"--size", "5\nx5", "--png", "p.png"}, "bad --size '5\\x0Ax5'"},
      {{"--fr\x1bob"}, "unknown argument '--fr\\x1Bob'"},
      {{"--video", "v\r.avi"}, "bad --video 'v\\x0D.avi'"},
  };
  for (const auto& c : refused) {
    ExpectRejected(RunHere(c.args), c.named, ::testing::PrintToString(c.args));
  }
  const std::string latin1 = "caf\xe9";
  fs::create_directory(Path(latin1));
  const Result r = RunHere({"--script", "97", "--png", "x\xff.png", "--gif", latin1 + "/s.gif",
                            "--frames", latin1 + "/frames"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(fs::exists(Path("x\xff.png")));
  EXPECT_FALSE(fs::exists(Path("x\xef\xbf\xbd.png")));
  EXPECT_TRUE(fs::exists(Path(latin1 + "/s.gif")));
  EXPECT_TRUE(fs::exists(Path(latin1 + "/frames/frame-002.png")));
  ExpectRejected(RunHere({"--frames", latin1 + "/frames"}),
                 "'caf\\xE9/frames' already holds frame-001.png", "Latin-1 folder");
}

}  // namespace
}  // namespace tarsel::testing
