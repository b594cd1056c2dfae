#include "web/page.h"

#include <emscripten.h>

#include <cstdint>
#include <cstring>
#include <vector>

namespace {

// The bodies run in the page; tarselPage is defined by page.js before the module loads.
EM_JS(int, js_next_event, (), { return tarselPage.nextEvent(); });
EM_ASYNC_JS(void, js_wait_for_event, (), { await tarselPage.waitForEvent(); });
EM_ASYNC_JS(void, js_yield, (), { await tarselPage.yieldToBrowser(); });
EM_JS(int, js_client_width, (), { return tarselPage.clientSize()[0]; });
EM_JS(int, js_client_height, (), { return tarselPage.clientSize()[1]; });
EM_JS(void, js_match_canvas, (int lw, int lh, int dw, int dh),
      { tarselPage.matchCanvas(lw, lh, dw, dh); });
EM_JS(void, js_show, (const void* rgba, int x, int y, int w, int h),
      { tarselPage.show(new Uint8ClampedArray(HEAPU8.buffer, rgba, w * h * 4), x, y, w, h); });
EM_JS(void, js_readout, (double k, int acc, int ccllss), { tarselPage.readout(k, acc, ccllss); });
EM_JS(void, js_waiting, (), { tarselPage.waiting(); });
EM_JS(void, js_ended, (), { tarselPage.ended(); });
EM_JS(void, js_replay_done, (const char* log, std::size_t size), {
  tarselPage.replayDone(log ? new TextDecoder().decode(HEAPU8.subarray(log, log + size)) : null);
});
EM_JS(void, js_replay_failed, (const char* message),
      { tarselPage.replayFailed(UTF8ToString(message)); });

// The RGBA bytes of the last area shown; kept, so that a frame does not allocate.
std::vector<std::uint32_t> rgba;

}  // namespace

namespace tarsel::page {

int NextEvent() {
  return js_next_event();
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
  const int w = area.width(), h = area.height();
  rgba.resize(std::size_t(w) * std::size_t(h));
  std::uint32_t* out = rgba.data();
  for (int y = area.top; y <= area.bottom; ++y) {
    const std::uint32_t* in = image.row(y) + area.left;
    // 0xFFRRGGBB words lie in memory as the bytes B, G, R, A; the canvas takes R, G, B, A, so
    // red and blue swap places. Two pixels at a time: a full frame is 660,000 of them.
    int x = 0;
    for (; x + 2 <= w; x += 2) {
      std::uint64_t p;
      std::memcpy(&p, in + x, sizeof p);
      p = (p & 0xFF00FF00FF00FF00) | (p >> 16 & 0x000000FF000000FF) |
          (p & 0x000000FF000000FF) << 16;
      std::memcpy(out + x, &p, sizeof p);
    }
    if (x < w) {
      const std::uint32_t p = in[x];
      out[x] = (p & 0xFF00FF00) | (p >> 16 & 0xFF) | (p & 0xFF) << 16;
    }
    out += w;
  }
  js_show(rgba.data(), area.left, area.top, w, h);
}

void Readout(const SharedState& state) {
  js_readout(state.k, state.acc, state.ccllss);
}

void Waiting() {
  js_waiting();
}

void Ended() {
  js_ended();
}

void ReplayDone(const char* log, std::size_t size) {
  js_replay_done(log, size);
}

void ReplayFailed(const char* message) {
  js_replay_failed(message);
}

}  // namespace tarsel::page
