// The PNG writer and reader, against Qt's reader.
#include "export/png_file.h"

#include <gtest/gtest.h>

#include <QImage>
#include <filesystem>

#include "app/image_view.h"
#include "export/replay.h"
#include "render/canvas.h"
#include "tests/support/render_run.h"

namespace tarsel::testing {
namespace {

namespace fs = std::filesystem;

// Every pixel of a frame with velocity and acceleration at a fractional scale, and of a
// picture with a colour in every bit of every channel, at odd sizes.
TEST_F(RenderTest, PngFilesHoldThePixelsExactly) {
  Canvas canvas(Size{481, 344}, 1.5);
  Replay replay(*ParseScript("8 97", nullptr), nullptr, &canvas);
  replay.Run();
  Image colours(257, 3, 1);
  for (int i = 0; i < colours.width * colours.height; ++i) {
    colours.pixels[i] = 0xFF000000 | (((i * 0x010101u) ^ (i * 0x3F1D07u)) & 0xFFFFFF);
  }
  for (const Image* image : {&canvas.image(), static_cast<const Image*>(&colours)}) {
    const fs::path png = Path("exact.png");
    ASSERT_EQ(WritePng(*image, png.string()), "");
    EXPECT_EQ(Rgb32(png), ImageView(*image).convertToFormat(QImage::Format_RGB32));
    const auto back = ReadPng(png.string());
    ASSERT_TRUE(back);
    EXPECT_EQ(*back, *image);
  }
}

}  // namespace
}  // namespace tarsel::testing
