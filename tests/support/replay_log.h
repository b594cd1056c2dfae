#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>

#include "export/replay.h"
#include "input/script.h"

namespace tarsel::testing {

// The draw log of a script, as tarsel-render --log writes it, without a picture.
inline std::string DrawLog(const std::string& script) {
  char* text = nullptr;
  std::size_t size = 0;
  std::FILE* log = open_memstream(&text, &size);
  Replay replay(*ParseScript(script, nullptr), log, nullptr);
  replay.Run();
  std::fclose(log);
  std::string out(text, size);
  std::free(text);
  return out;
}

}  // namespace tarsel::testing
