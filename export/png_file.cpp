#include "export/png_file.h"

#include <png.h>
#include <zlib.h>

#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <string>

#include "export/memory.h"
#include "export/safe_file.h"
#include "geometry/language.h"
#include "input/printable.h"

namespace tarsel {

namespace {

// Where libpng's bytes go, and why the writing stopped: libpng's own write function says only
// "Write Error", which names no cause.
struct Output {
  std::FILE* file;
  std::string* reason;
  int error = 0;
  bool out_of_memory = false;
};

void OnPngError(png_structp png, png_const_charp message) {
  auto* out = static_cast<Output*>(png_get_error_ptr(png));
  if (out && out->error == 0) *out->reason = message;
  std::longjmp(png_jmpbuf(png), 1);
}

void OnPngWarning(png_structp, png_const_charp) {}

void OnPngWrite(png_structp png, png_bytep data, std::size_t size) {
  auto* out = static_cast<Output*>(png_get_io_ptr(png));
  if (std::fwrite(data, 1, size, out->file) != size) {
    out->error = errno ? errno : EIO;
    png_error(png, "write");
  }
}

void OnPngFlush(png_structp png) {
  auto* out = static_cast<Output*>(png_get_io_ptr(png));
  if (std::fflush(out->file) != 0) {
    out->error = errno;
    png_error(png, "flush");
  }
}

// Encodes into an open file; false on an error, its cause in *out.
bool Encode(const Image& image, Output* out) {
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, out, OnPngError, OnPngWarning);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  if (!info) {
    png_destroy_write_struct(&png, nullptr);
    out->out_of_memory = true;
    return false;
  }
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return false;
  }
  png_set_write_fn(png, out, OnPngWrite, OnPngFlush);
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

std::string EncodePng(const Image& image, std::FILE* file, const std::string& name) {
  if (image.width <= 0 || image.height <= 0) return Tr("cannot encode an empty picture");
  std::string reason;
  Output out{file, &reason};
  if (Encode(image, &out)) return "";
  if (out.error) {
    // TRANSLATORS: %1$s: a file's name (quoted); %2$s: the system's reason (English).
    return Fill(Tr("writing %s failed: %s"), {Quoted(name), std::strerror(out.error)});
  }
  if (out.out_of_memory || reason.find("memory") != std::string::npos) {
    return NotEnoughMemory(image.width, image.height);
  }
  // TRANSLATORS: %s: a file's name (quoted).
  if (reason.empty()) return Fill(Tr("cannot encode the picture %s"), {Quoted(name)});
  // TRANSLATORS: %1$s: a file's name (quoted); %2$s: the PNG library's reason (English).
  return Fill(Tr("cannot encode the picture %s: %s"), {Quoted(name), reason});
}

std::string WritePng(const Image& image, const std::string& path) {
  SafeFile file;
  std::string error = file.Open(path);
  if (error.empty() && !file.stream()) error = file.Failed(errno);
  if (error.empty()) error = EncodePng(image, file.stream(), path);
  if (error.empty()) error = file.Commit();
  return error;
}

std::optional<Image> ReadPng(const std::string& path, std::string* error) {
  png_image png;
  std::memset(&png, 0, sizeof png);
  png.version = PNG_IMAGE_VERSION;
  const auto fail = [&](const std::string& why) -> std::optional<Image> {
    // TRANSLATORS: %1$s: a file's name (quoted); %2$s: the PNG library's reason (English).
    if (error) *error = Fill(Tr("cannot read %s: %s"), {Quoted(path), why});
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
