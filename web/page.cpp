#include "web/page.h"

#include <emscripten.h>

#include <cstddef>
#include <cstdio>
#include <string>

#include "animation/sweep.h"

namespace {

// The bodies run in the page; tarselPage is defined by page.js before the module loads.
EM_JS(int, js_next_event, (), { return tarselPage.nextEvent(); });
EM_ASYNC_JS(void, js_wait_for_event, (), { await tarselPage.waitForEvent(); });
EM_ASYNC_JS(void, js_yield, (), { await tarselPage.yieldToBrowser(); });
EM_JS(int, js_client_width, (), { return tarselPage.clientSize()[0]; });
EM_JS(int, js_client_height, (), { return tarselPage.clientSize()[1]; });
EM_JS(void, js_match_canvas, (int lw, int lh, int dw, int dh),
      { tarselPage.matchCanvas(lw, lh, dw, dh); });
EM_JS(void, js_show, (const void* rgba, int width, int height, int x, int y, int w, int h), {
  tarselPage.show(new Uint8ClampedArray(HEAPU8.buffer, rgba, width * height * 4), width, height, x,
                  y, w, h);
});
EM_JS(void, js_readout, (double k, int acc, int ccllss, int frame, int exact),
      { tarselPage.readout(k, acc, ccllss, frame, Boolean(exact)); });
EM_JS(void, js_show_probe,
      (double x, const char* lines, const char* labels, const void* rgba, int width, int height), {
        tarselProbe.show(x, UTF8ToString(lines), UTF8ToString(labels),
                         new Uint8ClampedArray(HEAPU8.buffer, rgba, width * height * 4), width,
                         height);
      });
EM_JS(void, js_waiting, (), { tarselPage.waiting(); });
EM_JS(void, js_ended, (), { tarselPage.ended(); });
EM_JS(void, js_replay_done,
      (const char* log, std::size_t size, const char* csv, const char* piston_csv), {
        tarselPage.replayDone(
            log ? new TextDecoder().decode(HEAPU8.subarray(log, log + size)) : null,
            csv ? UTF8ToString(csv) : null, piston_csv ? UTF8ToString(piston_csv) : null);
      });
EM_JS(void, js_replay_failed, (const char* message),
      { tarselPage.replayFailed(UTF8ToString(message)); });

}  // namespace

namespace tarsel::page {

std::optional<InputEvent> FromWire(int number) {
  if (number >= 0 && number <= 0xFFFF) return InputEvent::Key(number);
  if (number == wire::kDoubleClick) return InputEvent::DoubleClick();
  if (number == wire::kResize) return InputEvent::Resize();
  return std::nullopt;
}

std::optional<InputEvent> NextEvent() {
  return FromWire(js_next_event());
}

void WaitForEvent() {
  js_wait_for_event();
}

void Yield() {
  js_yield();
}

Size ClientSize() {
  return {js_client_width(), js_client_height()};
}

void MatchCanvas(const Canvas& canvas) {
  js_match_canvas(canvas.logicalSize().width, canvas.logicalSize().height, canvas.image().width,
                  canvas.image().height);
}

void Show(const Image& image, Rect area) {
  area = area & image.rect();
  if (area.empty()) return;
  // The image's words are the canvas's R, G, B, A bytes already: the browser copies the
  // changed area straight out of the module's memory.
  js_show(image.pixels.data(), image.width, image.height, area.left, area.top, area.width(),
          area.height());
}

void Readout(const SharedState& state) {
  const sweep::Position at = sweep::PositionOf(state.k);
  js_readout(state.k, state.acc, state.ccllss, static_cast<int>(at.frame), at.exact);
}

void ShowProbe(double x, const ProbeView& view) {
  // Tab-separated lines: the page lays them out as it likes.
  std::string lines, labels;
  for (const ReadoutLine& l : view.lines()) {
    lines += std::string(l.key) + "\t" + l.label + "\t" + l.value + "\n";
  }
  char position[64];
  for (const mechanism::Label& l : view.labels()) {
    std::snprintf(position, sizeof position, "\t%.2f\t%.2f\n", l.x, l.y);
    labels += std::string(l.text) + position;
  }
  const Image& picture = view.picture();
  js_show_probe(x, lines.c_str(), labels.c_str(), picture.pixels.data(), picture.width,
                picture.height);
}

void Waiting() {
  js_waiting();
}

void Ended() {
  js_ended();
}

void ReplayDone(const char* log, std::size_t size, const char* csv, const char* piston_csv) {
  js_replay_done(log, size, csv, piston_csv);
}

void ReplayFailed(const char* message) {
  js_replay_failed(message);
}

}  // namespace tarsel::page
