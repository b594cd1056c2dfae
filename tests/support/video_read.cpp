#include "tests/support/video_read.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/pixdesc.h>
#include <libswscale/swscale.h>
}

#include <cmath>
#include <memory>

namespace tarsel::testing {

namespace {

struct Reader {
  AVFormatContext* format = nullptr;
  AVCodecContext* decoder = nullptr;
  AVFrame* frame = nullptr;
  AVPacket* packet = nullptr;
  SwsContext* convert = nullptr;
  ~Reader() {
    sws_freeContext(convert);
    av_packet_free(&packet);
    av_frame_free(&frame);
    avcodec_free_context(&decoder);
    avformat_close_input(&format);
  }
};

// Takes every frame the decoder has ready.
bool Drain(Reader& r, ReadVideo* out) {
  for (;;) {
    const int code = avcodec_receive_frame(r.decoder, r.frame);
    if (code == AVERROR(EAGAIN) || code == AVERROR_EOF) return true;
    if (code < 0) return false;
    QImage image(r.frame->width, r.frame->height, QImage::Format_RGB32);
    r.convert = sws_getCachedContext(r.convert, r.frame->width, r.frame->height,
                                     static_cast<AVPixelFormat>(r.frame->format), image.width(),
                                     image.height(), AV_PIX_FMT_BGRA, SWS_POINT | SWS_ACCURATE_RND,
                                     nullptr, nullptr, nullptr);
    if (!r.convert) return false;
    std::uint8_t* planes[] = {image.bits()};
    const int strides[] = {static_cast<int>(image.bytesPerLine())};
    sws_scale(r.convert, r.frame->data, r.frame->linesize, 0, r.frame->height, planes, strides);
    out->frames.push_back(image);
  }
}

}  // namespace

std::optional<ReadVideo> ReadVideoFile(const std::filesystem::path& path) {
  av_log_set_level(AV_LOG_QUIET);
  Reader r;
  if (avformat_open_input(&r.format, path.c_str(), nullptr, nullptr) < 0) return std::nullopt;
  if (avformat_find_stream_info(r.format, nullptr) < 0) return std::nullopt;
  const AVCodec* codec = nullptr;
  const int index = av_find_best_stream(r.format, AVMEDIA_TYPE_VIDEO, -1, -1, &codec, 0);
  if (index < 0 || !codec) return std::nullopt;
  const AVStream* stream = r.format->streams[index];
  ReadVideo out;
  out.codec = avcodec_get_name(stream->codecpar->codec_id);
  const char* format = av_get_pix_fmt_name(static_cast<AVPixelFormat>(stream->codecpar->format));
  out.pixel_format = format ? format : "";
  out.width = stream->codecpar->width;
  out.height = stream->codecpar->height;
  out.rate_num = stream->avg_frame_rate.num;
  out.rate_den = stream->avg_frame_rate.den;

  r.decoder = avcodec_alloc_context3(codec);
  r.frame = av_frame_alloc();
  r.packet = av_packet_alloc();
  if (!r.decoder || !r.frame || !r.packet) return std::nullopt;
  if (avcodec_parameters_to_context(r.decoder, stream->codecpar) < 0) return std::nullopt;
  if (avcodec_open2(r.decoder, codec, nullptr) < 0) return std::nullopt;
  while (av_read_frame(r.format, r.packet) >= 0) {
    const bool ours = r.packet->stream_index == index;
    const bool sent = !ours || avcodec_send_packet(r.decoder, r.packet) >= 0;
    av_packet_unref(r.packet);
    if (!sent || !Drain(r, &out)) return std::nullopt;
  }
  if (avcodec_send_packet(r.decoder, nullptr) < 0 || !Drain(r, &out)) return std::nullopt;
  return out;
}

double Psnr(const QImage& a, const QImage& b) {
  double squares = 0;
  for (int y = 0; y < a.height(); ++y) {
    for (int x = 0; x < a.width(); ++x) {
      const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
      for (const int shift : {0, 8, 16}) {
        const int d = static_cast<int>((p >> shift) & 0xFF) - static_cast<int>((q >> shift) & 0xFF);
        squares += d * d;
      }
    }
  }
  const double mean = squares / (3.0 * a.width() * a.height());
  return mean == 0 ? INFINITY : 10 * std::log10(255.0 * 255.0 / mean);
}

}  // namespace tarsel::testing
