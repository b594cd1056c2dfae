#include "input/event.h"

#include "input/handlers.h"

namespace tarsel {

bool Dispatch(SharedState& state, Surface& surface, const InputEvent& event) {
  switch (event.kind) {
    case InputEvent::Kind::kKey:
      Form_KeyPress(state, surface, event.code);
      return true;
    case InputEvent::Kind::kDoubleClick:
      Form_DblClick(state);
      return true;
    case InputEvent::Kind::kClose:
      Form_Unload(state);
      return true;
    case InputEvent::Kind::kResize:
    case InputEvent::Kind::kConfigure:
      break;
  }
  return false;
}

}  // namespace tarsel
