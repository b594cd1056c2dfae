#include "export/png_file.h"

#include <png.h>
#include <zlib.h>

#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

namespace tarsel {

namespace {

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};

void OnPngError(png_structp png, png_const_charp message) {
  auto* reason = static_cast<std::string*>(png_get_error_ptr(png));
  if (reason) *reason = message;
  std::longjmp(png_jmpbuf(png), 1);
}

void OnPngWarning(png_structp, png_const_charp) {}

// Encodes into an open file; false with *reason on an error of libpng.
bool Encode(const Image& image, std::FILE* out, std::string* reason) {
  png_structp png =
      png_create_write_struct(PNG_LIBPNG_VER_STRING, reason, OnPngError, OnPngWarning);
  if (!png) return false;
  png_infop info = png_create_info_struct(png);
  if (!info) {
    png_destroy_write_struct(&png, nullptr);
    return false;
  }
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return false;
  }
  png_init_io(png, out);
  png_set_IHDR(png, info, static_cast<png_uint_32>(image.width),
               static_cast<png_uint_32>(image.height), 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE);
  png_set_compression_strategy(png, Z_RLE);
  png_set_compression_level(png, 6);
  png_write_info(png, info);
  // The pixels are 0xFFRRGGBB words, in memory the bytes B, G, R and a filler.
  png_set_bgr(png);
  png_set_filler(png, 0, PNG_FILLER_AFTER);
  for (int y = 0; y < image.height; ++y) {
    png_write_row(png, reinterpret_cast<png_const_bytep>(image.row(y)));
  }
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return true;
}

}  // namespace

std::string WritePng(const Image& image, const std::string& path) {
  if (image.width <= 0 || image.height <= 0) return "cannot encode an empty picture";
  std::unique_ptr<std::FILE, FileCloser> out(std::fopen(path.c_str(), "wb"));
  if (!out) return "cannot write '" + path + "': " + std::strerror(errno);
  std::string reason;
  if (!Encode(image, out.get(), &reason)) {
    return "cannot encode the picture '" + path + "'" + (reason.empty() ? "" : ": " + reason);
  }
  const bool flushed = std::fflush(out.get()) == 0 && !std::ferror(out.get());
  const int flush_errno = errno;
  if (std::fclose(out.release()) != 0 || !flushed) {
    return "writing '" + path + "' failed: " + std::strerror(flushed ? errno : flush_errno);
  }
  return "";
}

std::optional<Image> ReadPng(const std::string& path, std::string* error) {
  png_image png;
  std::memset(&png, 0, sizeof png);
  png.version = PNG_IMAGE_VERSION;
  const auto fail = [&](const std::string& why) -> std::optional<Image> {
    if (error) *error = "cannot read '" + path + "': " + why;
    png_image_free(&png);
    return std::nullopt;
  };
  if (!png_image_begin_read_from_file(&png, path.c_str())) return fail(png.message);
  // B, G, R, A in memory: the words 0xAARRGGBB of the image, opaque.
  png.format = PNG_FORMAT_BGRA;
  Image image(static_cast<int>(png.width), static_cast<int>(png.height), 1);
  if (!png_image_finish_read(&png, nullptr, image.pixels.data(), image.bytesPerLine(), nullptr)) {
    return fail(png.message);
  }
  for (std::uint32_t& p : image.pixels) p |= 0xFF000000;
  return image;
}

}  // namespace tarsel
