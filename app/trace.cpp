#include "app/trace.h"

#include <QtGlobal>
#include <chrono>
#include <cstdio>

namespace tarsel {

void Trace(const char* what) {
  static const bool on = qEnvironmentVariableIsSet("TARSEL_TRACE");
  if (!on) return;
  const auto now = std::chrono::system_clock::now().time_since_epoch();
  std::fprintf(stderr, "tarsel-trace %s %lld\n", what,
               static_cast<long long>(std::chrono::nanoseconds(now).count()));
}

}  // namespace tarsel
