#include "tests/support/gif_decode.h"

#include <gif_lib.h>

#include <string>

namespace tarsel::testing {

std::optional<DecodedGif> DecodeGif(const std::filesystem::path& path) {
  int error = 0;
  GifFileType* gif = DGifOpenFileName(path.c_str(), &error);
  if (!gif) return std::nullopt;
  if (DGifSlurp(gif) == GIF_ERROR) {
    DGifCloseFile(gif, &error);
    return std::nullopt;
  }
  DecodedGif out;
  QImage screen(gif->SWidth, gif->SHeight, QImage::Format_RGB32);
  screen.fill(qRgb(0, 0, 0));
  for (int i = 0; i < gif->ImageCount; ++i) {
    const SavedImage& image = gif->SavedImages[i];
    const GifImageDesc& d = image.ImageDesc;
    const ColorMapObject* map = d.ColorMap ? d.ColorMap : gif->SColorMap;
    for (int y = 0; y < d.Height && map; ++y) {
      for (int x = 0; x < d.Width; ++x) {
        const GifColorType c = map->Colors[image.RasterBits[y * d.Width + x]];
        screen.setPixel(d.Left + x, d.Top + y, qRgb(c.Red, c.Green, c.Blue));
      }
    }
    out.frames.push_back(screen.copy());
    GraphicsControlBlock control;
    out.delays_cs.push_back(DGifSavedExtensionToGCB(gif, i, &control) == GIF_OK ? control.DelayTime
                                                                                : -1);
    for (int e = 0; e < image.ExtensionBlockCount; ++e) {
      const ExtensionBlock& b = image.ExtensionBlocks[e];
      if (b.Function == APPLICATION_EXT_FUNC_CODE && b.ByteCount == 11 &&
          std::string(reinterpret_cast<const char*>(b.Bytes), 11) == "NETSCAPE2.0") {
        out.loops = true;
      }
    }
  }
  DGifCloseFile(gif, &error);
  return out;
}

}  // namespace tarsel::testing
