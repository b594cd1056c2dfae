#include "tests/support/gif_decode.h"

#include <gif_lib.h>

#include <QImageReader>
#include <QString>
#include <algorithm>
#include <string>

namespace tarsel::testing {

namespace {

// Reads and closes a GIF that giflib has opened.
std::optional<DecodedGif> Decode(GifFileType* gif) {
  int error = 0;
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
    GraphicsControlBlock control{};
    control.TransparentColor = NO_TRANSPARENT_COLOR;
    const bool has_control = DGifSavedExtensionToGCB(gif, i, &control) == GIF_OK;
    for (int y = 0; y < d.Height && map; ++y) {
      for (int x = 0; x < d.Width; ++x) {
        const int index = image.RasterBits[y * d.Width + x];
        if (index == control.TransparentColor) continue;
        const GifColorType c = map->Colors[index];
        screen.setPixel(d.Left + x, d.Top + y, qRgb(c.Red, c.Green, c.Blue));
      }
    }
    out.frames.push_back(screen.copy());
    out.delays_cs.push_back(has_control ? control.DelayTime : -1);
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

// Bytes in memory, handed to giflib as it asks for them.
struct Reading {
  const std::vector<std::uint8_t>& bytes;
  std::size_t at = 0;
};

int ReadFromMemory(GifFileType* gif, GifByteType* to, int wanted) {
  Reading& r = *static_cast<Reading*>(gif->UserData);
  const std::size_t n = std::min(static_cast<std::size_t>(wanted), r.bytes.size() - r.at);
  std::copy_n(r.bytes.begin() + static_cast<std::ptrdiff_t>(r.at), n, to);
  r.at += n;
  return static_cast<int>(n);
}

}  // namespace

std::optional<DecodedGif> DecodeGif(const std::filesystem::path& path) {
  int error = 0;
  return Decode(DGifOpenFileName(path.c_str(), &error));
}

std::optional<DecodedGif> DecodeGif(const std::vector<std::uint8_t>& bytes) {
  Reading reading{bytes};
  int error = 0;
  return Decode(DGifOpen(&reading, ReadFromMemory, &error));
}

}  // namespace tarsel::testing

namespace tarsel::testing {

std::optional<DecodedGif> DecodeGifWithQt(const std::filesystem::path& path) {
  QImageReader reader(QString::fromStdString(path.string()), "gif");
  if (!reader.canRead() || !reader.supportsAnimation()) return std::nullopt;
  DecodedGif out;
  out.loops = reader.loopCount() != 0;  // -1: for ever
  QImage frame;
  while (reader.read(&frame)) {
    out.frames.push_back(frame.convertToFormat(QImage::Format_RGB32));
    out.delays_cs.push_back(reader.nextImageDelay() / 10);
  }
  if (out.frames.empty()) return std::nullopt;
  return out;
}

}  // namespace tarsel::testing
