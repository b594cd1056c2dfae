#include "tools/replay.h"

#include <algorithm>
#include <charconv>

#include "app/canvas.h"
#include "app/handlers.h"

namespace tarsel {

namespace {

bool ParseNumber(std::string_view s, long max, long* out) {
  if (s.empty() || s.size() > 18) return false;
  long v = 0;
  const auto [ptr, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
  if (ec != std::errc() || ptr != s.data() + s.size() || v < 0 || v > max) return false;
  for (const char c : s) {
    if (c < '0' || c > '9') return false;
  }
  *out = v;
  return true;
}

}  // namespace

std::optional<std::vector<ScriptEvent>> ParseScript(const std::string& text, std::string* error) {
  std::vector<ScriptEvent> events;
  std::size_t i = 0;
  while (i < text.size()) {
    if (text[i] == ' ' || text[i] == ',') {
      ++i;
      continue;
    }
    const std::size_t end = text.find_first_of(" ,", i);
    const std::string token = text.substr(i, end == std::string::npos ? end : end - i);
    i = end == std::string::npos ? text.size() : end;

    const std::size_t at = token.find('@');
    const std::string_view what = std::string_view(token).substr(0, at);
    ScriptEvent e;
    long value = 0;
    bool ok = true;
    if (what == "dbl") {
      e.double_click = true;
    } else if (ParseNumber(what, 65535, &value)) {
      e.code = static_cast<int>(value);
    } else {
      ok = false;
    }
    if (ok && at != std::string::npos) {
      ok = ParseNumber(std::string_view(token).substr(at + 1), 1'000'000'000'000L, &value) &&
           value >= 1;
      e.at = value;
    }
    if (!ok) {
      if (error) *error = "malformed script token '" + token + "'";
      return std::nullopt;
    }
    events.push_back(e);
  }
  return events;
}

Replay::Replay(std::vector<ScriptEvent> script, std::FILE* log, Canvas* canvas)
    : driver_(state_, *this), log_(log), canvas_(canvas) {
  for (const ScriptEvent& e : script) (e.at > 0 ? at_points_ : in_waits_).push_back(e);
  std::stable_sort(at_points_.begin(), at_points_.end(),
                   [](const ScriptEvent& a, const ScriptEvent& b) { return a.at < b.at; });
}

void Replay::Run() {
  driver_.Form_Activate();
  if (!stopped_for_input_ && !aborted_ && log_) std::fputs("X\n", log_);
}

void Replay::Line(float x1, float y1, float x2, float y2, std::uint32_t colour) {
  if (log_) {
    std::fprintf(log_, "L %.9g %.9g %.9g %.9g %u\n", static_cast<double>(x1),
                 static_cast<double>(y1), static_cast<double>(x2), static_cast<double>(y2),
                 static_cast<unsigned>(colour));
  }
  if (canvas_) canvas_->Line(x1, y1, x2, y2, colour);
}

void Replay::Cls() {
  if (log_) std::fputs("C\n", log_);
  if (canvas_) canvas_->Cls();
}

void Replay::DrawWidth(int width) {
  if (log_) std::fprintf(log_, "W %d\n", width);
  if (canvas_) canvas_->DrawWidth(width);
}

void Replay::DoEvents() {
  ++point_calls_;
  if (log_) std::fputs("E\n", log_);
  while (next_point_ < at_points_.size() && at_points_[next_point_].at <= point_calls_) {
    const ScriptEvent e = at_points_[next_point_++];
    if (e.at == point_calls_ && !state_.ended) Deliver(e);
  }
}

void Replay::BeginWait() {
  if (log_) std::fputs("A\n", log_);
  if (on_wait_ && !on_wait_()) {
    aborted_ = true;
    state_.ended = true;
  }
}

void Replay::WaitEvents(bool) {
  // One scripted key per test of the wait; a wait that finds kk already 1 takes none.
  if (state_.kk == 1 || aborted_) return;
  if (next_wait_ == in_waits_.size()) {
    // Nobody is left to press a key: stop here, as a user who walks away would leave it.
    stopped_for_input_ = true;
    state_.ended = true;
    return;
  }
  Deliver(in_waits_[next_wait_++]);
}

void Replay::Deliver(const ScriptEvent& e) {
  if (e.double_click) {
    if (log_) std::fputs("D\n", log_);
    Form_DblClick(state_);
  } else {
    if (log_) std::fprintf(log_, "K %d\n", e.code);
    Form_KeyPress(state_, *this, e.code);
  }
}

}  // namespace tarsel
