// Coverage-guided fuzzing of a link's query with arbitrary bytes, as anyone can type into an
// address bar. Any of these ends the run with an abort:
//   - a refusal whose message is not one line of printable text, that names neither a value
//     nor a parameter given twice or with a script, or that gives keys anyway;
//   - a refusal of the query that the link does not give, or the reverse; a script with a
//     parameter that names a frame, not refused;
//   - keys that do not parse as a script, or that press other than the keys of a link;
//   - a k read from the bytes whose own link does not open with the same keys;
//   - any AddressSanitizer or UndefinedBehaviorSanitizer report.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "input/link.h"
#include "input/script.h"

namespace {

[[noreturn]] void Fail(const char* what) {
  std::fprintf(stderr, "link_fuzz: %s\n", what);
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const tarsel::LinkRequest link = tarsel::ReadLink(text);
  if (!link.error.empty()) {
    if (!link.script.empty()) Fail("a refused link with keys");
    if (link.error.rfind("bad link value ", 0) != 0 &&
        link.error.rfind("the link gives ", 0) != 0) {
      Fail("a refusal that names no value and no parameter");
    }
    for (const unsigned char c : link.error) {
      if (c < 0x20 || c == 0x7F) Fail("a control character in the message");
    }
  }
  // The query's refusal is the link's, and a script never goes with a frame.
  const tarsel::LinkQueryValues read = tarsel::ReadQuery(text);
  if ((!read.error.empty() || link.error.rfind("the link gives ", 0) == 0) &&
      read.error != link.error) {
    Fail("a refusal of the query that the link does not give, or the reverse");
  }
  if (read.error.empty() && read["script"] && (read["at"] || read["acc"] || read["accumulate"])) {
    Fail("a script with a frame, not refused");
  }
  const auto events = tarsel::ParseScript(link.script, nullptr);
  if (!events) Fail("keys that do not parse");
  for (const tarsel::ScriptEvent& e : *events) {
    const int c = e.event.code;
    if (e.at != 0 || (c != 8 && c != 47 && c != 97 && c != 44 && c != 13 && c != 9)) {
      Fail("a key no link presses");
    }
  }
  // The bytes as k: where a script reaches it, its link opens with that script.
  if (const std::optional<double> k = tarsel::ReadK(text)) {
    const std::optional<std::string> keys = tarsel::ScriptReaching(*k);
    const std::optional<std::string> query = tarsel::LinkQuery(*k, {});
    if (keys.has_value() != query.has_value()) Fail("a k with keys but no link, or the reverse");
    if (query && tarsel::ReadLink(*query).script != *keys) Fail("a link that opens elsewhere");
  }
  return 0;
}
