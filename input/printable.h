#pragma once

#include <string>
#include <string_view>

namespace tarsel {

// Bytes from the user (a script token, a file name) as a one-line message may show them:
// printable ASCII and well-formed UTF-8 stay as they are, a backslash is doubled, and every
// other byte (control characters such as a newline or an escape sequence's ESC, DEL, the C1
// controls, bytes that are not UTF-8, such as a Latin-1 name's) becomes \xHH. Nothing reaches
// the terminal that could move its cursor or split the line, and the bytes can be read back.
std::string Printable(std::string_view bytes);

}  // namespace tarsel
