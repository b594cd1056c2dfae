// Coverage-guided fuzzing of the script parser with arbitrary bytes, as a link or a command
// line can hand it any. Any of these ends the run with an abort:
//   - an accepted script whose events, written back as tokens, parse to other events;
//   - a refusal whose message is not one line of printable text naming the token;
//   - any AddressSanitizer or UndefinedBehaviorSanitizer report.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "input/script.h"

namespace {

[[noreturn]] void Fail(const char* what) {
  std::fprintf(stderr, "script_fuzz: %s\n", what);
  std::abort();
}

// The events as tokens again: codes and "dbl", each with its call number.
std::string Tokens(const std::vector<tarsel::ScriptEvent>& events) {
  std::string text;
  for (const tarsel::ScriptEvent& e : events) {
    text += e.event.kind == tarsel::InputEvent::Kind::kDoubleClick ? "dbl"
                                                                   : std::to_string(e.event.code);
    if (e.at > 0) text += "@" + std::to_string(e.at);
    text += ' ';
  }
  return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  std::string error;
  const auto events = tarsel::ParseScript(text, &error);
  if (events) {
    const auto again = tarsel::ParseScript(Tokens(*events), nullptr);
    if (!again || *again != *events) Fail("the events written back parse to other events");
    return 0;
  }
  if (error.rfind("malformed script token '", 0) != 0) Fail("a refusal that names no token");
  for (const unsigned char c : error) {
    if (c < 0x20 || c == 0x7F) Fail("a control character in the message");
  }
  return 0;
}
