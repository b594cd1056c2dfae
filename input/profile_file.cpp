#include "input/profile_file.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <vector>

#include "geometry/configuration.h"
#include "geometry/language.h"
#include "input/number.h"
#include "input/printable.h"

namespace tarsel {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr double kMostAngle = 360;

std::string_view Trimmed(std::string_view s) {
  const std::size_t from = s.find_first_not_of(" \t");
  if (from == std::string_view::npos) return {};
  return s.substr(from, s.find_last_not_of(" \t") - from + 1);
}

bool HoldsALetter(std::string_view s) {
  for (const char c : s) {
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) return true;
  }
  return false;
}

// How a file writes its rows: the separator, and the decimal mark its numbers use.
struct Spelling {
  char separator = ',';
  char decimal = '.';
};

// One number of a row: decimal commas become points, then the one number syntax.
std::optional<double> NumberIn(std::string_view field, Spelling spelling) {
  std::string text(Trimmed(field));
  if (spelling.decimal == ',') {
    for (char& c : text) {
      if (c == ',') c = '.';
    }
  }
  return ReadNumber(text);
}

bool IsHeader(std::string_view line, Spelling spelling) {
  if (!HoldsALetter(line)) return false;
  for (std::size_t from = 0; from <= line.size();) {
    std::size_t end = line.find(spelling.separator, from);
    if (end == std::string_view::npos) end = line.size();
    if (NumberIn(line.substr(from, end - from), spelling)) return false;
    from = end + 1;
  }
  return true;
}

struct Reader {
  Spelling spelling;
  std::vector<double> angles, lifts;
  std::string error;

  bool Fail(long line, const std::string& why) {
    // TRANSLATORS: a fault of a profile file: %1$s the line's number, %2$s what is wrong there.
    error = Fill(Tr("line %1$s: %2$s"), {std::to_string(line), why});
    return false;
  }

  // A row "angle,lift" (or "angle;lift"); false with the error when it is none.
  bool Row(long line, std::string_view text) {
    const std::size_t at = text.find(spelling.separator);
    if (at == std::string_view::npos || text.find(spelling.separator, at + 1) != text.npos) {
      return Fail(line, Fill(spelling.separator == ','
                                 // TRANSLATORS: %s: the line's text (quoted).
                                 ? Tr("expected two numbers, angle and lift, separated by a "
                                      "comma, not %s")
                                 // TRANSLATORS: %s: the line's text (quoted).
                                 : Tr("expected two numbers, angle and lift, separated by a "
                                      "semicolon, not %s"),
                             {Quoted(text)}));
    }
    const std::string_view angle_text = Trimmed(text.substr(0, at));
    const std::string_view lift_text = Trimmed(text.substr(at + 1));
    const std::optional<double> angle = NumberIn(angle_text, spelling);
    // TRANSLATORS: %s: the angle as written (quoted).
    if (!angle) return Fail(line, Fill(Tr("angle %s is not a number"), {Quoted(angle_text)}));
    const std::optional<double> lift = NumberIn(lift_text, spelling);
    // TRANSLATORS: %s: the lift as written (quoted).
    if (!lift) return Fail(line, Fill(Tr("lift %s is not a number"), {Quoted(lift_text)}));
    if (*angle < -kMostAngle || *angle > kMostAngle) {
      // TRANSLATORS: %s: the angle, in degrees.
      return Fail(line, Fill(Tr("angle %s is outside -360 to 360 degrees"), {NumberText(*angle)}));
    }
    if (!angles.empty() && !(*angle > angles.back())) {
      // TRANSLATORS: %1$s: the angle of this row; %2$s: the angle of the row before it.
      return Fail(line, Fill(Tr("angle %1$s is not greater than %2$s, the one before it"),
                             {NumberText(*angle), NumberText(angles.back())}));
    }
    // TRANSLATORS: %s: the lift.
    if (*lift < 0) return Fail(line, Fill(Tr("lift %s is below 0"), {NumberText(*lift)}));
    if (angles.size() == static_cast<std::size_t>(kMostProfileRows)) {
      // TRANSLATORS: %s: the most rows a profile may have.
      return Fail(line, Fill(Tr("more than %s rows"), {std::to_string(kMostProfileRows)}));
    }
    angles.push_back(*angle);
    lifts.push_back(*lift == 0 ? 0 : *lift);  // -0 lies on the base circle too
    return true;
  }
};

}  // namespace

std::optional<ProfileTables> ReadProfile(std::string_view text, std::string* error) {
  const auto refuse = [&](std::string why) -> std::optional<ProfileTables> {
    if (error) *error = std::move(why);
    return std::nullopt;
  };
  if (text.starts_with(kByteOrderMark)) text.remove_prefix(kByteOrderMark.size());
  // A picture, an archive, a program: binary files hold zero bytes, text files none.
  if (const std::size_t zero = text.find('\0'); zero != std::string_view::npos) {
    const long line = 1 + std::count(text.begin(), text.begin() + static_cast<long>(zero), '\n');
    // TRANSLATORS: %s: the line's number.
    return refuse(Fill(Tr("line %s: a zero byte: not a text file"), {std::to_string(line)}));
  }
  Reader reader;
  bool first = true, spelled = false;
  long line = 0;
  for (std::size_t from = 0; from < text.size();) {
    ++line;
    std::size_t end = text.find('\n', from);
    if (end == std::string_view::npos) end = text.size();
    std::string_view row = text.substr(from, end - from);
    from = end + 1;
    if (row.ends_with('\r')) row.remove_suffix(1);
    row = Trimmed(row);
    if (row.empty()) continue;
    // The first line with a separator says which the file uses (a header may have none).
    if (!spelled && row.find_first_of(",;") != std::string_view::npos) {
      spelled = true;
      if (row.find(';') != std::string_view::npos) reader.spelling = {';', ','};
    }
    if (first) {
      first = false;
      // A header: a first line that holds a word and not a single number ("0,nan" is a row
      // with a bad lift, not a header).
      if (IsHeader(row, reader.spelling)) continue;
    }
    if (!reader.Row(line, row)) return refuse(reader.error);
  }
  const std::size_t rows = reader.angles.size();
  if (rows < static_cast<std::size_t>(kLeastProfileRows)) {
    const std::string least = std::to_string(kLeastProfileRows);
    // TRANSLATORS: %s: the least rows of a profile. angle,lift names the file's columns.
    if (rows == 0)
      return refuse(Fill(Tr("no rows of angle,lift: a profile needs at least %s"), {least}));
    // TRANSLATORS: %s: the least rows of a profile.
    if (rows == 1)
      return refuse(Fill(Tr("1 row of angle,lift: a profile needs at least %s"), {least}));
    // TRANSLATORS: %1$s: the rows found (2 to 4); %2$s: the least rows of a profile.
    return refuse(Fill(Tr("%1$s rows of angle,lift: a profile needs at least %2$s"),
                       {std::to_string(rows), least}));
  }
  return TablesOf(reader.angles, reader.lifts);
}

namespace {

// The largest profile file read: 10,000 rows of two long numbers fit many times over, and a
// file far larger is no profile.
constexpr std::size_t kMostProfileBytes = 16 << 20;

// The bytes of the file at `path`, or why there are none.
std::string ReadFileBytes(const std::string& path, std::string* bytes) {
  std::error_code e;
  if (std::filesystem::is_directory(path, e)) return Tr("it is a directory");
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return std::strerror(errno);
  char buffer[1 << 16];
  std::size_t got = 0;
  while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
    bytes->append(buffer, got);
    if (bytes->size() > kMostProfileBytes) break;
  }
  const int failed = std::ferror(file) ? errno : 0;
  std::fclose(file);
  if (failed) return std::strerror(failed);
  if (bytes->size() > kMostProfileBytes) return Tr("larger than 16 MB, no profile");
  return "";
}

}  // namespace

std::optional<ProfileTables> ReadProfileFile(const std::string& path, std::string* error) {
  std::string bytes;
  std::string why = ReadFileBytes(path, &bytes);
  if (why.empty()) {
    if (std::optional<ProfileTables> tables = ReadProfile(bytes, &why)) return tables;
  }
  if (error) *error = std::move(why);
  return std::nullopt;
}

}  // namespace tarsel
