#include "input/script.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "animation/sweep.h"
#include "input/handlers.h"
#include "input/printable.h"

namespace tarsel {

namespace {

bool ParseNumber(std::string_view s, std::int64_t max, std::int64_t* out) {
  if (s.empty() || s.size() > 18) return false;
  for (const char c : s) {
    if (c < '0' || c > '9') return false;
  }
  std::int64_t v = 0;
  const auto [ptr, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
  if (ec != std::errc() || ptr != s.data() + s.size() || v > max) return false;
  *out = v;
  return true;
}

// The keys a script may name instead of giving their code: those with an action of their own
// whose character cannot stand in a script (a separator, or nothing printable).
struct KeyName {
  std::string_view name;
  int code;
};
constexpr KeyName kKeyNames[] = {{"space", key::kSpace}, {"enter", key::kEnter},
                                 {"tab", key::kTab},     {"backspace", key::kBackSpace},
                                 {"esc", key::kEscape},  {"comma", key::kComma},
                                 {"slash", key::kSlash}};

// A key by name or as its own printable character ("a", "/", "?"). Digits are codes, and "@"
// introduces a call number, so neither stands for itself.
bool ParseKey(std::string_view s, int* code) {
  for (const KeyName& k : kKeyNames) {
    if (s == k.name) {
      *code = k.code;
      return true;
    }
  }
  if (s.size() == 1 && s[0] > ' ' && s[0] < 127 && (s[0] < '0' || s[0] > '9') && s[0] != '@') {
    *code = static_cast<unsigned char>(s[0]);
    return true;
  }
  return false;
}

}  // namespace

std::optional<std::vector<ScriptEvent>> ParseScript(std::string_view text, std::string* error) {
  std::vector<ScriptEvent> events;
  std::size_t i = 0;
  while (i < text.size()) {
    if (text[i] == ' ' || text[i] == ',') {
      ++i;
      continue;
    }
    const std::size_t end = std::min(text.find_first_of(" ,", i), text.size());
    const std::string_view token = text.substr(i, end - i);
    i = end;

    const std::size_t at = token.find('@');
    const std::string_view what = token.substr(0, at);
    ScriptEvent e;
    std::int64_t value = 0;
    bool ok = true;
    int code = 0;
    if (what == "dbl") {
      e.event = InputEvent::DoubleClick();
    } else if (ParseNumber(what, 65535, &value)) {
      e.event = InputEvent::Key(static_cast<int>(value));
    } else if (ParseKey(what, &code)) {
      e.event = InputEvent::Key(code);
    } else {
      ok = false;
    }
    if (ok && at != std::string_view::npos) {
      ok = ParseNumber(token.substr(at + 1), 1'000'000'000'000, &value) && value >= 1;
      e.at = value;
    }
    if (!ok) {
      // TRANSLATORS: %s: a token of a key script as given (space, a, dbl, a@3...).
      if (error) *error = Fill(Tr("malformed script token '%s'"), {Printable(token)});
      return std::nullopt;
    }
    events.push_back(e);
  }
  return events;
}

ScriptedInput::ScriptedInput(std::vector<ScriptEvent> script, SharedState& state, Surface& surface)
    : state_(state), surface_(surface) {
  for (const ScriptEvent& e : script) (e.at > 0 ? at_points_ : in_waits_).push_back(e);
  std::stable_sort(at_points_.begin(), at_points_.end(),
                   [](const ScriptEvent& a, const ScriptEvent& b) { return a.at < b.at; });
}

void ScriptedInput::PointEvents() {
  ++point_calls_;
  while (next_point_ < at_points_.size() && at_points_[next_point_].at <= point_calls_) {
    const ScriptEvent e = at_points_[next_point_++];
    if (e.at == point_calls_ && !state_.ended) Deliver(e);
  }
}

bool ScriptedInput::WaitRound() {
  if (state_.kk == 1 || state_.ended) return true;
  if (next_wait_ == in_waits_.size()) return false;
  Deliver(in_waits_[next_wait_++]);
  return true;
}

void ScriptedInput::Deliver(const ScriptEvent& e) {
  if (on_deliver_) on_deliver_(e);
  Dispatch(state_, surface_, e.event);
}

std::optional<std::string> ScriptReaching(double k, Switches switches) {
  // The steps of the keys, in tenths of a step: the loop adds 10 after every frame, "," takes
  // 20 back (so -10 in all), Enter 9 (+1), Tab 11 (-1); BackSpace and "/" take 10 back (0).
  if (!std::isfinite(k) || k > sweep::kLastK + 1e-9 || k < kLowestAt - 1e-9) return std::nullopt;
  const double tenths = (k - sweep::kFirstK) / sweep::kTenth;
  const long n = std::lround(tenths);
  if (std::abs(tenths - static_cast<double>(n)) > 1e-6) return std::nullopt;
  // Whole steps to the nearest multiple of 10, then at most five tenths either way; whole steps
  // first, so that k never passes 20 on the way (the nearest multiple is at most 20).
  const long whole = (n >= 0 ? n + 5 : n - 4) / 10, tenth = n - 10 * whole;
  std::string script;
  const auto press = [&](int code, long times) {
    const std::string token = std::to_string(code);
    for (long i = 0; i < times; ++i) script += (script.empty() ? "" : " ") + token;
  };
  press(key::kBackSpace, switches.acc ? 1 : 0);
  press(key::kSlash, switches.accumulate ? 1 : 0);
  press(whole >= 0 ? kPlainKey : key::kComma, std::abs(whole));
  press(tenth >= 0 ? key::kEnter : key::kTab, std::abs(tenth));
  return script;
}

FrameBefore FrameBeforeReaching(double k, int acc, int ccllss) {
  const std::optional<std::string> script =
      ScriptReaching(k, {.acc = acc == 1, .accumulate = ccllss == 1});
  if (!script) return {};
  const std::optional<std::vector<ScriptEvent>> keys = ParseScript(*script, nullptr);
  if (!keys || keys->empty()) return {FrameBefore::kFirst};
  // The loop's arithmetic: a key at the wait, then the step.
  SharedState state;
  state.ste = sweep::kStep;
  state.k0 = sweep::kFirstK;
  state.k = sweep::kFirstK;
  UnseenSurface unseen;
  FrameBefore before{FrameBefore::kAfter, state.k, state.acc};
  for (std::size_t i = 0; i + 1 < keys->size(); ++i) {
    Form_KeyPress(state, unseen, (*keys)[i].event.code);
    state.k += state.ste;
    before = {FrameBefore::kAfter, state.k, state.acc};
  }
  return before;
}

std::optional<SweepKeys> SweepFrom(double k, Switches switches, long frames) {
  std::optional<std::string> reaching = ScriptReaching(k, switches);
  if (!reaching || frames < 0) return std::nullopt;
  SweepKeys sweep;
  sweep.script = std::move(*reaching);
  // One frame for the start and one for each key pressed at a wait.
  sweep.first = 1 + static_cast<long>(std::count(sweep.script.begin(), sweep.script.end(), ' ')) +
                (sweep.script.empty() ? 0 : 1);
  const long left = sweep::FramesFrom(k);
  sweep.frames = frames == 0 ? left : std::min(frames, left);
  const std::string plain = std::to_string(kPlainKey);
  for (long i = 1; i < sweep.frames; ++i) sweep.script += (sweep.script.empty() ? "" : " ") + plain;
  return sweep;
}

}  // namespace tarsel
