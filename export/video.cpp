#include "export/video.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/error.h>
#include <libavutil/opt.h>
#include <libswscale/swscale.h>
}

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <thread>

#include "export/memory.h"
#include "export/video_format.h"
#include "geometry/language.h"
#include "input/printable.h"

namespace tarsel {

// FFmpeg's objects for one file, freed in reverse order of their making.
struct VideoFrames::Codec {
  AVFormatContext* format = nullptr;
  AVCodecContext* coder = nullptr;
  AVStream* stream = nullptr;
  AVFrame* frame = nullptr;
  AVPacket* packet = nullptr;
  SwsContext* convert = nullptr;

  ~Codec() {
    sws_freeContext(convert);
    av_packet_free(&packet);
    av_frame_free(&frame);
    avcodec_free_context(&coder);
    if (format) {
      if (format->pb) avio_closep(&format->pb);
      avformat_free_context(format);
    }
  }
};

namespace {

// Whether FFmpeg or an encoder it drives reported running out of memory. libvpx says so only
// in its log ("Memory allocation error") and returns "Invalid argument"; x264 returns a code
// that names no cause.
bool memory_failed = false;

void OnLog(void*, int level, const char* format, va_list args) {
  if (level > AV_LOG_ERROR) return;
  char line[256];
  std::vsnprintf(line, sizeof line, format, args);
  for (char& c : line) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (std::strstr(line, "memory") || std::strstr(line, "malloc")) memory_failed = true;
}

int Even(int n) {
  return n + (n & 1);
}

}  // namespace

// Measured (peak address space, 50 frames of the sweep at 1024 x 1024 to 3848 x 2752 video
// pixels, kThreads threads) with a margin of about a tenth: what the encoder maps for each
// video pixel, the enlarged picture and the converted frame included, and what it maps at any
// size (its threads' stacks and heaps).
std::uint64_t VideoFrames::MemoryNeed(Size size, int repeat, VideoFormat format) {
  const std::uint64_t pixels =
      std::uint64_t(Even(size.width * repeat)) * std::uint64_t(Even(size.height * repeat));
  const bool webm = format == VideoFormat::kWebm;
  const std::uint64_t per_pixel = webm ? 115 : 150;
  const std::uint64_t fixed = (webm ? std::uint64_t{64} : std::uint64_t{128}) << 20;
  return pixels * per_pixel + fixed;
}

VideoFrames::VideoFrames() = default;
VideoFrames::~VideoFrames() = default;

// pattern: a translated sentence with the file's name (quoted) and the encoder's reason.
std::string VideoFrames::Error(const char* pattern, int code) const {
  if (code == AVERROR(ENOMEM) || memory_failed) {
    return NotEnoughMemory(frame_size_.width, frame_size_.height);
  }
  char reason[AV_ERROR_MAX_STRING_SIZE] = {};
  av_strerror(code, reason, sizeof reason);
  return Fill(pattern, {Quoted(file_.path()), reason});
}

namespace {

// The encoder's settings: constant quality in both. For VP9, "good" at speed 4 with row threads
// is several times faster than the default and barely larger. Both look ahead 10 frames
// instead of 25 (VP9) or 40 (H.264): the sweep's frames change little from one to the next,
// so the files stay the same size (the 63-frame sweep: 1.09 MB of MP4, 0.78 MB of WebM),
// while each frame held costs 1.5 bytes a video pixel and more (a third less memory).
AVDictionary* EncoderSettings(bool webm) {
  AVDictionary* settings = nullptr;
  if (webm) {
    av_dict_set(&settings, "crf", "31", 0);
    av_dict_set(&settings, "deadline", "good", 0);
    av_dict_set(&settings, "cpu-used", "4", 0);
    av_dict_set(&settings, "row-mt", "1", 0);
    av_dict_set(&settings, "lag-in-frames", "10", 0);
  } else {
    av_dict_set(&settings, "crf", "18", 0);
    av_dict_set(&settings, "preset", "medium", 0);
    av_dict_set(&settings, "profile", "high", 0);
    av_dict_set(&settings, "rc-lookahead", "10", 0);
  }
  return settings;
}

}  // namespace

// The coder's frame size, rate and colours. One tick of the time base is one frame, shown for
// `delay_ms`. The colours as swscale converts them by default: BT.601 in the limited range,
// said so in the file for players that would otherwise guess.
void VideoFrames::SetUpCoder(int delay_ms, bool webm) {
  Codec& c = *codec_;
  AVRational tick{delay_ms, 1000};
  av_reduce(&tick.num, &tick.den, tick.num, tick.den, 1 << 30);
  c.coder->time_base = tick;
  c.coder->framerate = av_inv_q(tick);
  c.coder->width = frame_size_.width;
  c.coder->height = frame_size_.height;
  c.coder->pix_fmt = AV_PIX_FMT_YUV420P;
  c.coder->gop_size = 250;
  c.coder->color_range = AVCOL_RANGE_MPEG;
  c.coder->colorspace = AVCOL_SPC_SMPTE170M;
  c.coder->color_primaries = AVCOL_PRI_SMPTE170M;
  c.coder->color_trc = AVCOL_TRC_SMPTE170M;
  if (c.format->oformat->flags & AVFMT_GLOBALHEADER) {
    c.coder->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
  }
  if (webm) c.coder->bit_rate = 0;
  // Each encoding thread holds frames of its own: a fixed number of them keeps the memory a
  // video needs (MemoryNeed) the same on every machine.
  c.coder->thread_count = kThreads;
}

// Opens the encoder and describes its stream in the file.
std::string VideoFrames::OpenEncoder(const AVCodec* encoder, bool webm) {
  Codec& c = *codec_;
  AVDictionary* settings = EncoderSettings(webm);
  int code = avcodec_open2(c.coder, encoder, &settings);
  av_dict_free(&settings);
  // TRANSLATORS: %1$s: the video file's name (quoted); %2$s: the encoder's reason (English).
  if (code < 0) return Error(Tr("opening the encoder for %s failed: %s"), code);
  code = avcodec_parameters_from_context(c.stream->codecpar, c.coder);
  // TRANSLATORS: %1$s: the video file's name (quoted); %2$s: the encoder's reason (English).
  if (code < 0) return Error(Tr("opening %s failed: %s"), code);
  c.stream->time_base = c.coder->time_base;
  c.stream->avg_frame_rate = c.coder->framerate;
  return "";
}

// The frame the pictures are converted into, and the conversion. The enlarged picture is
// converted at its own size: the repetition is done here, exactly.
std::string VideoFrames::OpenConversion() {
  Codec& c = *codec_;
  c.frame->format = AV_PIX_FMT_YUV420P;
  c.frame->width = frame_size_.width;
  c.frame->height = frame_size_.height;
  c.frame->color_range = c.coder->color_range;
  c.frame->colorspace = c.coder->colorspace;
  if (const int code = av_frame_get_buffer(c.frame, 0); code < 0)
    return Error(Tr("opening %s failed: %s"), code);
  c.convert = sws_getContext(frame_size_.width, frame_size_.height, AV_PIX_FMT_BGRA,
                             frame_size_.width, frame_size_.height, AV_PIX_FMT_YUV420P,
                             SWS_POINT | SWS_ACCURATE_RND, nullptr, nullptr, nullptr);
  if (!c.convert) return NotEnoughMemory(frame_size_.width, frame_size_.height);
  return "";
}

// Opens the temporary file and writes the header; an MP4's index goes at the front, so that a
// browser starts playing before the whole file is there (FFmpeg moves it there at the end,
// reading the file back by its temporary name).
std::string VideoFrames::WriteHeader(bool webm) {
  Codec& c = *codec_;
  int code = avio_open(&c.format->pb, file_.temporary().c_str(), AVIO_FLAG_WRITE);
  if (code < 0) return Error(Tr("opening %s failed: %s"), code);
  AVDictionary* muxing = nullptr;
  if (!webm) av_dict_set(&muxing, "movflags", "+faststart", 0);
  code = avformat_write_header(c.format, &muxing);
  av_dict_free(&muxing);
  // TRANSLATORS: %1$s: the video file's name (quoted); %2$s: the encoder's reason (English).
  if (code < 0) return Error(Tr("writing %s failed: %s"), code);
  return "";
}

std::string VideoFrames::Open(const std::string& path, Size size, int delay_ms, int repeat) {
  repeat_ = repeat;
  frame_size_ = {Even(size.width * repeat), Even(size.height * repeat)};
  if (std::string error = file_.Open(path); !error.empty()) return error;
  // The encoders' notes on what they chose are not the user's business; failures are reported
  // by their codes, and running out of memory by the one line every room uses.
  av_log_set_callback(OnLog);
  memory_failed = false;
  codec_ = std::make_unique<Codec>();
  Codec& c = *codec_;
  const bool webm = VideoFormatOf(path) == VideoFormat::kWebm;
  const int code = avformat_alloc_output_context2(&c.format, nullptr, webm ? "webm" : "mp4",
                                                  file_.temporary().c_str());
  if (code < 0) return Error(Tr("opening %s failed: %s"), code);
  const AVCodec* encoder = avcodec_find_encoder_by_name(webm ? "libvpx-vp9" : "libx264");
  if (!encoder) {
    // TRANSLATORS: %1$s: a file's name (quoted); %2$s: the video format (VP9 or H.264).
    return Fill(Tr("cannot write %s: no %s encoder"), {Quoted(path), webm ? "VP9" : "H.264"});
  }
  c.stream = avformat_new_stream(c.format, nullptr);
  c.coder = avcodec_alloc_context3(encoder);
  c.frame = av_frame_alloc();
  c.packet = av_packet_alloc();
  if (!c.stream || !c.coder || !c.frame || !c.packet) {
    return NotEnoughMemory(frame_size_.width, frame_size_.height);
  }
  SetUpCoder(delay_ms, webm);
  std::string error;
  if ((error = OpenEncoder(encoder, webm)).empty() && (error = OpenConversion()).empty() &&
      (error = WriteHeader(webm)).empty()) {
    enlarged_.assign(static_cast<std::size_t>(frame_size_.width) * frame_size_.height, kWhitePixel);
  }
  return error;
}

std::string VideoFrames::Add(const Image& picture) {
  Codec& c = *codec_;
  // Each picture pixel repeated, the padding to an even size white.
  const int w = std::min(picture.width * repeat_, frame_size_.width);
  const int h = std::min(picture.height * repeat_, frame_size_.height);
  for (int y = 0; y < h; ++y) {
    const std::uint32_t* from = picture.row(y / repeat_);
    std::uint32_t* to = enlarged_.data() + static_cast<std::size_t>(y) * frame_size_.width;
    if (y % repeat_ != 0) {
      std::copy_n(to - frame_size_.width, w, to);
      continue;
    }
    for (int x = 0; x < w; ++x) to[x] = from[x / repeat_];
  }
  int code = av_frame_make_writable(c.frame);
  if (code < 0) return Error(Tr("writing %s failed: %s"), code);
  const std::uint8_t* planes[] = {reinterpret_cast<const std::uint8_t*>(enlarged_.data())};
  const int strides[] = {frame_size_.width * 4};
  sws_scale(c.convert, planes, strides, 0, frame_size_.height, c.frame->data, c.frame->linesize);
  c.frame->pts = count_++;
  // TRANSLATORS: %1$s: the video file's name (quoted); %2$s: the encoder's reason (English).
  if ((code = avcodec_send_frame(c.coder, c.frame)) < 0)
    return Error(Tr("encoding %s failed: %s"), code);
  return Encode(false);
}

std::string VideoFrames::Encode(bool last) {
  Codec& c = *codec_;
  for (;;) {
    int code = avcodec_receive_packet(c.coder, c.packet);
    if (code == AVERROR(EAGAIN) || (last && code == AVERROR_EOF)) return "";
    if (code < 0) return Error(Tr("encoding %s failed: %s"), code);
    av_packet_rescale_ts(c.packet, c.coder->time_base, c.stream->time_base);
    c.packet->stream_index = c.stream->index;
    code = av_interleaved_write_frame(c.format, c.packet);
    if (code < 0) return Error(Tr("writing %s failed: %s"), code);
  }
}

std::string VideoFrames::Finish() {
  Codec& c = *codec_;
  int code = avcodec_send_frame(c.coder, nullptr);
  if (code < 0) return Error(Tr("encoding %s failed: %s"), code);
  std::string error = Encode(true);
  if (!error.empty()) return error;
  if ((code = av_write_trailer(c.format)) < 0) return Error(Tr("writing %s failed: %s"), code);
  // TRANSLATORS: %1$s: the video file's name (quoted); %2$s: the encoder's reason (English).
  if ((code = avio_closep(&c.format->pb)) < 0) return Error(Tr("closing %s failed: %s"), code);
  return file_.Complete();
}

std::string VideoFrames::Commit() {
  return file_.Commit();
}

}  // namespace tarsel
