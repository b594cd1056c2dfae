#include "export/sweep_gif.h"

#include <optional>

#include "animation/driver.h"
#include "export/gif_writer.h"
#include "export/label.h"
#include "export/replay.h"

namespace tarsel {

std::vector<std::uint32_t> DrawingColours(Palette palette) {
  std::vector<std::uint32_t> colours;
  for (const std::uint32_t c : colour::kAll) {
    colours.push_back(PixelRgb(PixelColour(Substitute(palette, c))));
  }
  return colours;
}

std::string WriteSweepGif(const SweepGifRequest& request, ByteSink& out,
                          const std::function<void(long done, long total)>& progress) {
  std::string error;
  auto script = ParseScript(request.sweep.script, &error);
  if (!script) return error;
  Canvas canvas(request.logical, request.dpr);
  canvas.SetPalette(request.palette);
  GifFrames gif(out);
  const Image& image = canvas.image();
  if (!(error = gif.Open({image.width, image.height}, request.delay_ms,
                         DrawingColours(request.palette)))
           .empty()) {
    return error;
  }
  std::optional<Labeller> labeller;
  if (request.label) labeller.emplace();
  Replay replay(std::move(*script), nullptr, &canvas, request.config, request.profile);
  long waits = 0;
  replay.OnWait([&] {
    if (++waits < request.sweep.first) return true;
    error = gif.Add(labeller ? labeller->Apply(canvas.image(), replay.state()) : canvas.image());
    if (progress) progress(gif.count(), request.sweep.frames);
    return error.empty();
  });
  replay.Run();
  if (!error.empty()) return error;
  return gif.Finish();
}

}  // namespace tarsel
