#include "web/page.h"

#include <emscripten.h>

#include <cstddef>
#include <cstdio>
#include <string>

#include "animation/sweep.h"

namespace {

// The bodies run in the page; tarselPage is defined by run.js before the module loads.
EM_JS(int, js_next_event, (), { return tarselPage.nextEvent(); });
EM_ASYNC_JS(void, js_wait_for_event, (), { await tarselPage.waitForEvent(); });
EM_ASYNC_JS(void, js_yield, (), { await tarselPage.yieldToBrowser(); });
EM_JS(int, js_view_width, (), { return tarselPage.view().size[0]; });
EM_JS(int, js_view_height, (), { return tarselPage.view().size[1]; });
EM_JS(double, js_view_scale, (), { return tarselPage.view().scale; });
EM_JS(int, js_view_palette, (), { return tarselPage.view().palette; });
EM_JS(int, js_view_presenting, (), { return tarselPage.view().presenting ? 1 : 0; });
EM_JS(double, js_device_ratio, (), { return tarselPage.mechanismRatio(); });
EM_JS(void, js_match_canvas, (int lw, int lh, int dw, int dh, double scale),
      { tarselPage.matchCanvas(lw, lh, dw, dh, scale); });
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
EM_JS(void, js_ended, (int past_last), { tarselPage.ended(Boolean(past_last)); });
EM_JS(void, js_replay_progress, (double done, double total),
      { tarselPage.replayProgress(done, total); });
EM_JS(void, js_replay_done,
      (const char* log, std::size_t size, const char* csv, const char* piston_csv,
       double cut_after),
      {
        tarselPage.replayDone(
            log ? new TextDecoder().decode(HEAPU8.subarray(log, log + size)) : null,
            csv ? UTF8ToString(csv) : null, piston_csv ? UTF8ToString(piston_csv) : null,
            cut_after);
      });
EM_JS(void, js_replay_failed, (const char* message),
      { tarselPage.replayFailed(UTF8ToString(message)); });

}  // namespace

namespace tarsel::page {

std::optional<InputEvent> FromWire(int number) {
  if (number >= 0 && number <= 0xFFFF) return InputEvent::Key(number);
  if (number == wire::kDoubleClick) return InputEvent::DoubleClick();
  if (number == wire::kResize) return InputEvent::Resize();
  if (number == wire::kConfigure) return InputEvent::Configure();
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

View CurrentView() {
  View view{{js_view_width(), js_view_height()},
            js_view_scale(),
            Palette::kExact,
            js_view_presenting() != 0};
  if (js_view_palette() == static_cast<int>(Palette::kDistinguishable)) {
    view.palette = Palette::kDistinguishable;
  }
  return view;
}

double DeviceRatio() {
  return js_device_ratio();
}

void MatchCanvas(const Canvas& canvas) {
  js_match_canvas(canvas.logicalSize().width, canvas.logicalSize().height, canvas.image().width,
                  canvas.image().height, canvas.devicePixelRatio());
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

void Ended(bool past_last) {
  js_ended(past_last ? 1 : 0);
}

void ReplayProgress(long done, long total) {
  js_replay_progress(static_cast<double>(done), static_cast<double>(total));
}

void ReplayDone(const char* log, std::size_t size, const char* csv, const char* piston_csv,
                long cut_after) {
  js_replay_done(log, size, csv, piston_csv, static_cast<double>(cut_after));
}

void ReplayFailed(const char* message) {
  js_replay_failed(message);
}

}  // namespace tarsel::page
