#include "tools/frame_export.h"

#include <fcntl.h>
#include <gif_lib.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <regex>
#include <system_error>
#include <unordered_map>
#include <utility>

#include "export/png_file.h"
#include "export/gif_lzw.h"

namespace tarsel {

namespace fs = std::filesystem;

// ------------------------------------------------------------------------------------------
// Palettes

namespace {

int Distance2(QRgb a, QRgb b) {
  const int dr = qRed(a) - qRed(b), dg = qGreen(a) - qGreen(b), db = qBlue(a) - qBlue(b);
  return dr * dr + dg * dg + db * db;
}

}  // namespace

Indexed ToIndexed(const QImage& image, const QRect& rect, const std::vector<QRgb>& keep,
                  std::size_t max_colours, const QImage* unchanged_from) {
  // The rows of the picture before, when the pixels that equal it are left out.
  const auto before_row = [&](int y) {
    return unchanged_from ? reinterpret_cast<const QRgb*>(unchanged_from->constScanLine(y))
                          : nullptr;
  };
  std::unordered_map<QRgb, long> counts;
  for (int y = rect.top(); y <= rect.bottom(); ++y) {
    const QRgb* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
    const QRgb* before = before_row(y);
    for (int x = rect.left(); x <= rect.right(); ++x) {
      if (!before || before[x] != row[x]) ++counts[row[x] & 0xFFFFFF];
    }
  }

  Indexed out;
  out.distinct = counts.size();
  out.exact = counts.size() <= max_colours;
  if (out.exact) {
    for (const auto& [colour, n] : counts) out.colours.push_back(colour);
    std::sort(out.colours.begin(), out.colours.end());
  } else {
    for (const QRgb colour : keep) {
      if (counts.contains(colour & 0xFFFFFF) && out.colours.size() < max_colours) {
        out.colours.push_back(colour & 0xFFFFFF);
      }
    }
    std::vector<std::pair<long, QRgb>> by_count;
    for (const auto& [colour, n] : counts) {
      if (std::find(out.colours.begin(), out.colours.end(), colour) == out.colours.end()) {
        by_count.emplace_back(n, colour);
      }
    }
    std::sort(by_count.begin(), by_count.end(), [](const auto& a, const auto& b) {
      return a.first != b.first ? a.first > b.first : a.second < b.second;
    });
    // Half of what is left goes to the most frequent blends, the rest to the colours farthest
    // from any palette colour so far, so that rare blends (one curve crossing another) do not
    // fall onto a colour far from their own.
    const std::size_t by_frequency = out.colours.size() + (max_colours - out.colours.size()) / 2;
    std::size_t next = 0;
    while (next < by_count.size() && out.colours.size() < by_frequency) {
      out.colours.push_back(by_count[next++].second);
    }
    std::vector<int> nearest(by_count.size(), 1 << 30);
    for (std::size_t i = next; i < by_count.size(); ++i) {
      for (const QRgb c : out.colours) {
        nearest[i] = std::min(nearest[i], Distance2(by_count[i].second, c));
      }
    }
    while (out.colours.size() < max_colours) {
      std::size_t far = next;
      for (std::size_t i = next; i < by_count.size(); ++i) {
        if (nearest[i] > nearest[far]) far = i;
      }
      const QRgb added = by_count[far].second;
      out.colours.push_back(added);
      for (std::size_t i = next; i < by_count.size(); ++i) {
        nearest[i] = std::min(nearest[i], Distance2(by_count[i].second, added));
      }
    }
  }

  // Every colour of the picture to its palette index: itself, or the nearest (the search stops
  // at an exact match).
  std::unordered_map<QRgb, std::uint8_t> index;
  for (const auto& [colour, n] : counts) {
    std::size_t best = 0;
    for (std::size_t i = 1; i < out.colours.size() && Distance2(colour, out.colours[best]); ++i) {
      if (Distance2(colour, out.colours[i]) < Distance2(colour, out.colours[best])) best = i;
    }
    index[colour] = static_cast<std::uint8_t>(best);
  }
  out.pixels.reserve(static_cast<std::size_t>(rect.width()) * rect.height());
  for (int y = rect.top(); y <= rect.bottom(); ++y) {
    const QRgb* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
    const QRgb* before = before_row(y);
    for (int x = rect.left(); x <= rect.right(); ++x) {
      out.pixels.push_back(!before || before[x] != row[x] ? index[row[x] & 0xFFFFFF] : 0);
    }
  }
  return out;
}

// ------------------------------------------------------------------------------------------
// Numbered PNG files

namespace {

// frame-NNN.png with at least three digits; returns the number, or 0 for any other name.
long FrameNumber(const std::string& name) {
  static const std::regex pattern("frame-([0-9]{3,9})\\.png");
  std::smatch m;
  return std::regex_match(name, m, pattern) ? std::stol(m[1]) : 0;
}

}  // namespace

std::string PngFrames::Open(const fs::path& dir, bool force) {
  dir_ = dir;
  force_ = force;
  std::error_code ec;
  if (fs::exists(dir, ec) && !fs::is_directory(dir, ec)) {
    return "'" + dir.string() + "' exists and is not a directory";
  }
  if (!fs::create_directories(dir, ec) && ec) {
    return "cannot create '" + dir.string() + "': " + ec.message();
  }
  if (force) return "";
  // The directory lists its files in no particular order: name the lowest-numbered frame.
  std::string first;
  for (const auto& entry : fs::directory_iterator(dir, ec)) {
    const std::string name = entry.path().filename().string();
    const long number = FrameNumber(name);
    if (number > 0 && (first.empty() ||
                       std::make_pair(number, name) < std::make_pair(FrameNumber(first), first))) {
      first = name;
    }
  }
  if (ec) return "cannot read '" + dir.string() + "': " + ec.message();
  if (!first.empty()) {
    return "'" + dir.string() + "' already holds " + first + "; use --force to overwrite";
  }
  return "";
}

std::string PngFrames::Add(const Image& image) {
  char name[32];
  std::snprintf(name, sizeof name, "frame-%03d.png", ++count_);
  return WritePng(image, (dir_ / name).string());
}

std::string PngFrames::Finish() {
  if (!force_) return "";
  std::error_code ec;
  std::vector<fs::path> stale;
  for (const auto& entry : fs::directory_iterator(dir_, ec)) {
    if (FrameNumber(entry.path().filename().string()) > count_) stale.push_back(entry.path());
  }
  for (const fs::path& p : stale) {
    if (!fs::remove(p, ec) && ec) return "cannot remove '" + p.string() + "': " + ec.message();
  }
  return "";
}

// ------------------------------------------------------------------------------------------
// Animated GIF

GifFrames::~GifFrames() {
  if (gif_) EGifCloseFile(gif_, nullptr);
}

std::string GifFrames::Error(const std::string& what, int code) const {
  const char* reason = GifErrorString(code);
  std::string message = what + " '" + path_ + "' failed: " + (reason ? reason : "unknown error");
  if (code == E_GIF_ERR_WRITE_FAILED || code == E_GIF_ERR_CLOSE_FAILED) {
    message += std::string(" (") + std::strerror(errno) + ")";
  }
  return message;
}

std::string GifFrames::Open(const std::string& path, QSize size, int delay_ms,
                            std::vector<QRgb> keep) {
  path_ = path;
  delay_cs_ = (delay_ms + 5) / 10;
  keep_ = std::move(keep);
  int code = 0;
  // Opened here rather than by giflib, which would make the file readable by its owner only.
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) return "cannot write '" + path + "': " + std::strerror(errno);
  gif_ = EGifOpenFileHandle(fd, &code);
  if (!gif_) {
    close(fd);
    return Error("opening", code);
  }
  EGifSetGifVersion(gif_, true);
  if (EGifPutScreenDesc(gif_, size.width(), size.height(), 8, 0, nullptr) == GIF_ERROR) {
    return Error("writing", gif_->Error);
  }
  // Loop for ever: the application extension that browsers and viewers read as a loop count.
  static const unsigned char kLoop[] = {1, 0, 0};
  if (EGifPutExtensionLeader(gif_, APPLICATION_EXT_FUNC_CODE) == GIF_ERROR ||
      EGifPutExtensionBlock(gif_, 11, "NETSCAPE2.0") == GIF_ERROR ||
      EGifPutExtensionBlock(gif_, sizeof kLoop, kLoop) == GIF_ERROR ||
      EGifPutExtensionTrailer(gif_) == GIF_ERROR) {
    return Error("writing", gif_->Error);
  }
  return "";
}

namespace {

// The smallest rectangle holding every pixel that differs between two pictures of one size;
// one pixel at the corner when none does (a frame still needs one to carry its delay).
QRect ChangedRect(const QImage& before, const QImage& now) {
  int top = now.height(), bottom = -1, left = now.width(), right = -1;
  for (int y = 0; y < now.height(); ++y) {
    const QRgb* a = reinterpret_cast<const QRgb*>(before.constScanLine(y));
    const QRgb* b = reinterpret_cast<const QRgb*>(now.constScanLine(y));
    int x = 0;
    while (x < now.width() && a[x] == b[x]) ++x;
    if (x == now.width()) continue;
    int last = now.width() - 1;
    while (a[last] == b[last]) --last;
    top = std::min(top, y);
    bottom = y;
    left = std::min(left, x);
    right = std::max(right, last);
  }
  return bottom < 0 ? QRect(0, 0, 1, 1) : QRect(QPoint(left, top), QPoint(right, bottom));
}

}  // namespace

std::string GifFrames::Add(const Image& frame) {
  // A view of the picture's memory: its words are Qt's RGB32.
  const QImage image(reinterpret_cast<const uchar*>(frame.pixels.data()), frame.width,
                     frame.height, frame.bytesPerLine(), QImage::Format_RGB32);
  const bool first = previous_.isNull();
  // Only what changed since the previous frame; the rest stays on screen from before.
  const QRect changed = first ? image.rect() : ChangedRect(previous_, image);
  if (first) shown_.assign(static_cast<std::size_t>(image.width()) * image.height(), 0);

  // The palette is made for the pixels that changed: one that did not keeps the colour it is
  // shown in, so a still part of the picture never flickers from one palette to the next.
  // Every later frame keeps a palette entry for "leave the pixel as shown", so it has 255
  // colours; pixels of exactly 256 colours are better kept exact without it.
  const QImage* before = first ? nullptr : &previous_;
  bool transparent = !first;
  Indexed indexed = ToIndexed(image, changed, keep_, transparent ? 255 : 256, before);
  if (transparent && !indexed.exact && indexed.distinct == 256) {
    transparent = false;
    before = nullptr;
    indexed = ToIndexed(image, changed, keep_, 256);
  }
  if (!indexed.exact) ++approximated_;
  const int width = image.width();
  const auto shown = [&](int x, int y) -> QRgb& {
    return shown_[static_cast<std::size_t>(y) * width + x];
  };
  // The colours the pixels of the rectangle are to be shown in: as they are for those that did
  // not change, their palette colour for the others.
  std::vector<QRgb> want;
  want.reserve(static_cast<std::size_t>(changed.width()) * changed.height());
  for (int y = changed.top(); y <= changed.bottom(); ++y) {
    const QRgb* now = reinterpret_cast<const QRgb*>(image.constScanLine(y));
    const QRgb* then = before ? reinterpret_cast<const QRgb*>(before->constScanLine(y)) : nullptr;
    const std::uint8_t* index =
        indexed.pixels.data() + static_cast<std::size_t>(y - changed.top()) * changed.width();
    for (int x = changed.left(); x <= changed.right(); ++x, ++index) {
      want.push_back(then && then[x] == now[x] ? shown(x, y) : indexed.colours[*index]);
    }
  }
  const auto wanted = [&](int x, int y) {
    return want[static_cast<std::size_t>(y - changed.top()) * changed.width() +
                (x - changed.left())];
  };
  // What the viewer must change: the pixels whose colour on screen is not the one they are to
  // have. With transparency the rectangle shrinks to them, and the others inside it may be
  // left as they are.
  QRect rect = changed;
  if (transparent) {
    int top = changed.bottom() + 1, bottom = -1, left = changed.right() + 1, right = -1;
    for (int y = changed.top(); y <= changed.bottom(); ++y) {
      for (int x = changed.left(); x <= changed.right(); ++x) {
        if (wanted(x, y) == shown(x, y)) continue;
        top = std::min(top, y);
        bottom = y;
        left = std::min(left, x);
        right = std::max(right, x);
      }
    }
    rect = bottom < 0 ? QRect(changed.topLeft(), QSize(1, 1))
                      : QRect(QPoint(left, top), QPoint(right, bottom));
  }

  // The palette holds the colours of the pixels that change. A pixel that keeps its colour is
  // written as transparent or, where that colour is in the palette anyway, as itself: the
  // coder takes whichever continues the string it is matching.
  std::unordered_map<QRgb, int> number;
  std::vector<GifColorType> colours;
  for (int y = rect.top(); y <= rect.bottom(); ++y) {
    for (int x = rect.left(); x <= rect.right(); ++x) {
      const QRgb c = wanted(x, y);
      if ((transparent && c == shown(x, y)) || number.contains(c)) continue;
      number[c] = static_cast<int>(colours.size());
      colours.push_back(GifColorType{static_cast<GifByteType>(qRed(c)),
                                     static_cast<GifByteType>(qGreen(c)),
                                     static_cast<GifByteType>(qBlue(c))});
    }
  }
  const int keep = static_cast<int>(colours.size());
  if (transparent) colours.push_back(GifColorType{255, 255, 255});
  std::vector<LzwPixel> pixels;
  pixels.reserve(static_cast<std::size_t>(rect.width()) * rect.height());
  QRgb last_colour = 0;
  int last_number = -1;  // the palette entry of last_colour; runs of one colour are the rule
  for (int y = rect.top(); y <= rect.bottom(); ++y) {
    for (int x = rect.left(); x <= rect.right(); ++x) {
      const QRgb c = wanted(x, y);
      if (last_number < 0 || c != last_colour) {
        const auto found = number.find(c);
        last_colour = c;
        last_number = found != number.end() ? found->second : keep;
      }
      pixels.push_back(
          LzwPixel{static_cast<std::uint8_t>(last_number), transparent && c == shown(x, y)});
      shown(x, y) = c;
    }
  }
  // A copy: the picture handed in may be a view of pixel memory that the next frame redraws.
  previous_ = image.copy();
  // A GIF colour table has a power-of-two size of at least 2 entries; codes start at 2 bits.
  int table = 2;
  while (table < static_cast<int>(colours.size())) table *= 2;
  colours.resize(table, GifColorType{0, 0, 0});
  ColorMapObject* map = GifMakeMapObject(table, colours.data());
  if (!map) return "not enough memory for the GIF palette";
  const int code_size = std::max(2, map->BitsPerPixel);
  const std::vector<std::uint8_t> code =
      LzwCode(pixels, code_size, static_cast<std::uint8_t>(keep));

  GraphicsControlBlock control{};
  control.DisposalMode = DISPOSE_DO_NOT;
  control.UserInputFlag = false;
  control.DelayTime = delay_cs_;
  control.TransparentColor = transparent ? keep : NO_TRANSPARENT_COLOR;
  GifByteType extension[4];
  const std::size_t length = EGifGCBToExtension(&control, extension);
  // giflib writes the descriptor, the palette and the code size; the codes go in as they are,
  // in sub-blocks of at most 255 bytes.
  bool ok = EGifPutExtension(gif_, GRAPHICS_EXT_FUNC_CODE, static_cast<int>(length), extension) !=
                GIF_ERROR &&
            EGifPutImageDesc(gif_, rect.x(), rect.y(), rect.width(), rect.height(), false, map) !=
                GIF_ERROR;
  GifFreeMapObject(map);
  GifByteType block[256];
  for (std::size_t at = 0; ok && at < code.size(); at += 255) {
    block[0] = static_cast<GifByteType>(std::min<std::size_t>(255, code.size() - at));
    std::copy_n(code.begin() + static_cast<std::ptrdiff_t>(at), block[0], block + 1);
    ok =
        (at == 0 ? EGifPutCode(gif_, code_size, block) : EGifPutCodeNext(gif_, block)) != GIF_ERROR;
  }
  ok = ok && EGifPutCodeNext(gif_, nullptr) != GIF_ERROR;
  if (!ok) return Error("writing", gif_->Error);
  ++count_;
  return "";
}

std::string GifFrames::Finish() {
  int code = 0;
  GifFileType* gif = gif_;
  gif_ = nullptr;
  if (EGifCloseFile(gif, &code) == GIF_ERROR) return Error("closing", code);
  return "";
}

}  // namespace tarsel
