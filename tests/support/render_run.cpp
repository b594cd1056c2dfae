#include "tests/support/render_run.h"

#include <sys/wait.h>

#include <QString>
#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>

namespace tarsel::testing {

namespace fs = std::filesystem;

namespace {

std::string Quote(const std::string& s) {
  std::string q = "'";
  for (const char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

}  // namespace

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

Lines SplitLines(const std::string& text) {
  Lines lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

std::string Repeat(const std::string& token, int times) {
  std::string s;
  for (int i = 0; i < times; ++i) s += (i ? " " : "") + token;
  return s;
}

QImage Rgb32(const fs::path& picture) {
  return QImage(QString::fromStdString(picture.string())).convertToFormat(QImage::Format_RGB32);
}

void ExpectRejected(const Result& r, const std::string& named, const std::string& what) {
  EXPECT_EQ(r.signal, 0) << what << ": ended by signal";
  EXPECT_EQ(r.status, 2) << what << "\nstderr: " << r.err;
  EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << what << "\nstderr: " << r.err;
  EXPECT_TRUE(!r.err.empty() && r.err.back() == '\n') << what << "\nstderr: " << r.err;
  EXPECT_NE(r.err.find(named), std::string::npos)
      << what << ": stderr should name '" << named << "'\nstderr: " << r.err;
  EXPECT_EQ(r.out, "") << what;
}

void RenderTest::SetUp() {
  std::string pattern = (fs::temp_directory_path() / "tarsel-render-test-XXXXXX").string();
  ASSERT_NE(mkdtemp(pattern.data()), nullptr);
  dir_ = pattern;
}

void RenderTest::TearDown() {
  std::error_code ignored;
  fs::remove_all(dir_, ignored);
}

Result RenderTest::Run(const Lines& args, const std::string& stdout_path,
                       const std::string& shell_prefix) {
  const fs::path out = Path("stdout.txt"), err = Path("stderr.txt");
  std::string command = shell_prefix + Quote(TARSEL_RENDER);
  for (const std::string& a : args) command += " " + Quote(a);
  command += " >" + Quote(stdout_path.empty() ? out.string() : stdout_path);
  command += " 2>" + Quote(err.string());
  const int raw = std::system(command.c_str());
  Result r;
  if (raw != -1 && WIFEXITED(raw)) r.status = WEXITSTATUS(raw);
  if (raw != -1 && WIFSIGNALED(raw)) r.signal = WTERMSIG(raw);
  // A shell reports a child killed by a signal as status 128 + signal.
  if (r.status > 128) r.signal = r.status - 128;
  r.out = ReadFile(out);
  r.err = ReadFile(err);
  return r;
}

Lines RenderTest::Log(const std::string& script) {
  const fs::path log = Path("draw.log");
  const Result r = Run({"--script", script, "--log", log.string()});
  EXPECT_EQ(r.status, 0) << "script: " << script << "\nstderr: " << r.err;
  EXPECT_EQ(r.err, "") << "script: " << script;
  return SplitLines(ReadFile(log));
}

QImage RenderTest::Picture(const std::string& script, Lines extra) {
  const fs::path png = Path("window.png");
  Lines args = {"--script", script, "--png", png.string()};
  args.insert(args.end(), extra.begin(), extra.end());
  const Result r = Run(args);
  EXPECT_EQ(r.status, 0) << "stderr: " << r.err;
  return Rgb32(png);
}

}  // namespace tarsel::testing
