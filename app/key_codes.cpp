#include "app/key_codes.h"

#include <QKeyEvent>

#include "input/handlers.h"

namespace tarsel {

std::vector<int> CharacterCodes(const QKeyEvent& event) {
  const int key = event.key();
  const Qt::KeyboardModifiers mods = event.modifiers();
  // Ctrl with a letter (or one of @ [ \ ] ^ _) produces the matching control character, as a
  // keyboard does: Ctrl+H is BackSpace, Ctrl+M Enter, Ctrl+I Tab, Ctrl+[ Escape.
  if ((mods & Qt::ControlModifier) && !(mods & Qt::AltModifier) && key >= Qt::Key_At &&
      key <= Qt::Key_Underscore) {
    return {key & 0x1F};
  }
  switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
      return {key::kEnter};
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
      return {key::kTab};
    case Qt::Key_Backspace:
      return {key::kBackSpace};
    case Qt::Key_Escape:
      return {key::kEscape};
    case Qt::Key_Delete:  // X11 reports DEL as its text; it is an editing key, not a character
      return {};
    default:
      break;
  }
  std::vector<int> codes;
  for (const QChar c : event.text()) codes.push_back(c.unicode());
  return codes;
}

}  // namespace tarsel
