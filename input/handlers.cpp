#include "input/handlers.h"

namespace tarsel {

void Form_KeyPress(SharedState& st, Surface& surface, int key_ascii) {
  if (st.ended) return;  // the program is over; later events of the same batch do nothing
  // Independent tests of the same code, so at most one matches.
  if (key_ascii == key::kComma) st.k = st.k - st.ste * 2;
  if (key_ascii == key::kEnter) st.k = st.k - st.ste * 0.9;
  if (key_ascii == key::kTab) st.k = st.k - st.ste * 1.1;
  if (key_ascii == key::kBackSpace) {
    st.acc = (st.acc + 1) % 2;
    st.k = st.k - st.ste;
  }
  if (key_ascii == key::kSpace) st.k = st.k0 - st.ste;
  if (key_ascii == key::kSlash) {
    st.ccllss = (st.ccllss + 1) % 2;
    st.k = st.k - st.ste;
  }
  if (key_ascii == key::kEscape) {
    surface.Cls();
    st.ended = true;
    return;
  }
  st.kk = (st.kk + 1) % 2;
}

void Form_DblClick(SharedState& st) {
  st.ended = true;
}

void Form_Unload(SharedState& st) {
  st.ended = true;
}

void Form_Configure(SharedState& st, const Configuration& config) {
  if (st.ended) return;
  const bool asked = st.next_config.has_value() || st.next_profile.has_value();
  if (!asked && config == st.config) return;
  st.next_config = config;
  if (asked) return;
  st.k = st.k - st.ste;
  st.kk = (st.kk + 1) % 2;
}

void Form_Profile(SharedState& st, std::shared_ptr<const ProfileTables> profile) {
  if (st.ended) return;
  const bool asked = st.next_config.has_value() || st.next_profile.has_value();
  if (!asked && profile == st.profile) return;
  st.next_profile = std::move(profile);
  if (asked) return;
  st.k = st.k - st.ste;
  st.kk = (st.kk + 1) % 2;
}

}  // namespace tarsel
