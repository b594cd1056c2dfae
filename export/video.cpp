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

std::string Ending(const std::string& path) {
  const std::size_t dot = path.rfind('.');
  std::string end = dot == std::string::npos ? "" : path.substr(dot + 1);
  std::transform(end.begin(), end.end(), end.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return end;
}

int Even(int n) {
  return n + (n & 1);
}

}  // namespace

VideoFrames::VideoFrames() = default;
VideoFrames::~VideoFrames() = default;

bool VideoFrames::Writable(const std::string& path) {
  const std::string end = Ending(path);
  return end == "mp4" || end == "webm";
}

std::string VideoFrames::Error(const std::string& what, int code) const {
  char reason[AV_ERROR_MAX_STRING_SIZE] = {};
  av_strerror(code, reason, sizeof reason);
  return what + " '" + path_ + "' failed: " + reason;
}

namespace {

// The encoder's settings: constant quality in both. For VP9, "good" at speed 4 with row threads
// is several times faster than the default and barely larger.
AVDictionary* EncoderSettings(bool webm) {
  AVDictionary* settings = nullptr;
  if (webm) {
    av_dict_set(&settings, "crf", "31", 0);
    av_dict_set(&settings, "deadline", "good", 0);
    av_dict_set(&settings, "cpu-used", "4", 0);
    av_dict_set(&settings, "row-mt", "1", 0);
  } else {
    av_dict_set(&settings, "crf", "18", 0);
    av_dict_set(&settings, "preset", "medium", 0);
    av_dict_set(&settings, "profile", "high", 0);
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
}

// Opens the encoder and describes its stream in the file.
std::string VideoFrames::OpenEncoder(const AVCodec* encoder, bool webm) {
  Codec& c = *codec_;
  AVDictionary* settings = EncoderSettings(webm);
  int code = avcodec_open2(c.coder, encoder, &settings);
  av_dict_free(&settings);
  if (code < 0) return Error("opening the encoder for", code);
  code = avcodec_parameters_from_context(c.stream->codecpar, c.coder);
  if (code < 0) return Error("opening", code);
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
  if (const int code = av_frame_get_buffer(c.frame, 0); code < 0) return Error("opening", code);
  c.convert = sws_getContext(frame_size_.width, frame_size_.height, AV_PIX_FMT_BGRA,
                             frame_size_.width, frame_size_.height, AV_PIX_FMT_YUV420P,
                             SWS_POINT | SWS_ACCURATE_RND, nullptr, nullptr, nullptr);
  if (!c.convert) return "cannot convert the pictures for '" + path_ + "'";
  return "";
}

// Creates the file and writes its header; an MP4's index goes at the front, so that a browser
// starts playing before the whole file is there.
std::string VideoFrames::WriteHeader(bool webm) {
  Codec& c = *codec_;
  int code = avio_open(&c.format->pb, path_.c_str(), AVIO_FLAG_WRITE);
  if (code < 0) return Error("opening", code);
  AVDictionary* muxing = nullptr;
  if (!webm) av_dict_set(&muxing, "movflags", "+faststart", 0);
  code = avformat_write_header(c.format, &muxing);
  av_dict_free(&muxing);
  if (code < 0) return Error("writing", code);
  return "";
}

std::string VideoFrames::Open(const std::string& path, Size size, int delay_ms, int repeat) {
  path_ = path;
  repeat_ = repeat;
  frame_size_ = {Even(size.width * repeat), Even(size.height * repeat)};
  // The encoders' notes on what they chose are not the user's business; failures are reported
  // by their codes.
  av_log_set_level(AV_LOG_QUIET);
  codec_ = std::make_unique<Codec>();
  Codec& c = *codec_;
  const bool webm = Ending(path) == "webm";
  const int code =
      avformat_alloc_output_context2(&c.format, nullptr, webm ? "webm" : "mp4", path.c_str());
  if (code < 0) return Error("opening", code);
  const AVCodec* encoder = avcodec_find_encoder_by_name(webm ? "libvpx-vp9" : "libx264");
  if (!encoder) return "cannot write '" + path + "': no " + (webm ? "VP9" : "H.264") + " encoder";
  c.stream = avformat_new_stream(c.format, nullptr);
  c.coder = avcodec_alloc_context3(encoder);
  c.frame = av_frame_alloc();
  c.packet = av_packet_alloc();
  if (!c.stream || !c.coder || !c.frame || !c.packet) return "not enough memory for the video";
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
  if (code < 0) return Error("writing", code);
  const std::uint8_t* planes[] = {reinterpret_cast<const std::uint8_t*>(enlarged_.data())};
  const int strides[] = {frame_size_.width * 4};
  sws_scale(c.convert, planes, strides, 0, frame_size_.height, c.frame->data, c.frame->linesize);
  c.frame->pts = count_++;
  if ((code = avcodec_send_frame(c.coder, c.frame)) < 0) return Error("encoding", code);
  return Encode(false);
}

std::string VideoFrames::Encode(bool last) {
  Codec& c = *codec_;
  for (;;) {
    int code = avcodec_receive_packet(c.coder, c.packet);
    if (code == AVERROR(EAGAIN) || (last && code == AVERROR_EOF)) return "";
    if (code < 0) return Error("encoding", code);
    av_packet_rescale_ts(c.packet, c.coder->time_base, c.stream->time_base);
    c.packet->stream_index = c.stream->index;
    code = av_interleaved_write_frame(c.format, c.packet);
    if (code < 0) return Error("writing", code);
  }
}

std::string VideoFrames::Finish() {
  Codec& c = *codec_;
  int code = avcodec_send_frame(c.coder, nullptr);
  if (code < 0) return Error("encoding", code);
  std::string error = Encode(true);
  if (!error.empty()) return error;
  if ((code = av_write_trailer(c.format)) < 0) return Error("writing", code);
  if ((code = avio_closep(&c.format->pb)) < 0) return Error("closing", code);
  return "";
}

}  // namespace tarsel
