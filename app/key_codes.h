#pragma once

#include <vector>

class QKeyEvent;

namespace tarsel {

// The character codes a key press produces, as the handler sees them: Enter 13, Tab 9,
// BackSpace 8, Escape 27, Ctrl+letter its control code (Ctrl+H 8), a printable key its
// character's UTF-16 units. Empty for keys that produce no character (arrows, function keys,
// a modifier alone, Delete).
std::vector<int> CharacterCodes(const QKeyEvent& event);

}  // namespace tarsel
