#pragma once

#include <QImage>

#include "render/image.h"

namespace tarsel {

// The canvas's pixel memory as a QImage, without a copy: valid as long as the image is not
// resized. The pixel layout (0xFFRRGGBB words, rows without padding) is Qt's RGB32.
inline QImage ImageView(const Image& image) {
  QImage view(reinterpret_cast<const uchar*>(image.pixels.data()), image.width, image.height,
              image.bytesPerLine(), QImage::Format_RGB32);
  view.setDevicePixelRatio(image.dpr);
  return view;
}

}  // namespace tarsel
