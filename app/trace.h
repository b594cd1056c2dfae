#pragma once

namespace tarsel {

// With TARSEL_TRACE set in the environment, one line on stderr for every key press and every
// frame put on the screen: "tarsel-trace key|frame NS", NS the wall-clock time in nanoseconds.
// bench/run.sh measures latencies with it.
void Trace(const char* what);

}  // namespace tarsel
