// The module behind CodecModule.h: conversion to MP3 through FFmpeg's
// libraries and LAME, and tag texts through TagLib.
#include "audio/CodecModule.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswresample/swresample.h>
}
#include <lame/lame.h>
#include <taglib/fileref.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <taglib/tag.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace {

struct FormatClose {
  void operator()(AVFormatContext* context) const { avformat_close_input(&context); }
};
struct CodecFree {
  void operator()(AVCodecContext* context) const { avcodec_free_context(&context); }
};
struct ResamplerFree {
  void operator()(SwrContext* context) const { swr_free(&context); }
};
struct PacketFree {
  void operator()(AVPacket* packet) const { av_packet_free(&packet); }
};
struct FrameFree {
  void operator()(AVFrame* frame) const { av_frame_free(&frame); }
};
struct LameClose {
  void operator()(lame_global_flags* flags) const { lame_close(flags); }
};

// The source's tags as an ID3v2.4 tag in UTF-8, so that they travel with the
// MP3 stream and are read back like any other file's.
TagLib::ByteVector CarriedTags(const std::string& systemPath) {
  const TagLib::FileRef source(systemPath.c_str(), false);
  if (source.isNull() || source.tag() == nullptr || source.tag()->isEmpty()) return {};
  TagLib::ID3v2::Tag tag;
  tag.setTitle(source.tag()->title());
  tag.setArtist(source.tag()->artist());
  tag.setAlbum(source.tag()->album());
  tag.setComment(source.tag()->comment());
  return tag.render(TagLib::ID3v2::v4);
}

class Converter {
 public:
  Converter(platform::FileHandle mp3, const Mp3Quality& quality) : mp3_(mp3), quality_(quality) {}

  ConversionResult Run(const std::string& systemPath, ConversionCallback progress, void* context) {
    const ConversionResult opened = Open(systemPath);
    if (opened != ConversionResult::Done) return opened;
    const TagLib::ByteVector tags = CarriedTags(systemPath);
    if (!Write(reinterpret_cast<const uint8_t*>(tags.data()), tags.size())) return ConversionResult::WriteFailed;
    streamStart_ = tags.size();

    const std::unique_ptr<AVPacket, PacketFree> packet(av_packet_alloc());
    const std::unique_ptr<AVFrame, FrameFree> frame(av_frame_alloc());
    if (!packet || !frame) return ConversionResult::NotMusic;
    const int64_t total = avio_size(format_->pb);
    for (;;) {
      const int read = av_read_frame(format_.get(), packet.get());
      if (read < 0) break;
      const bool ours = packet->stream_index == stream_;
      // A damaged packet is passed over, as players do.
      const int sent = ours ? avcodec_send_packet(decoder_.get(), packet.get()) : 0;
      av_packet_unref(packet.get());
      if (sent < 0 && sent != AVERROR_INVALIDDATA) return ConversionResult::NotMusic;
      if (ours && !Drain(frame.get())) return failure_;
      if (progress != nullptr && !progress(context, uint64_t(std::max<int64_t>(avio_tell(format_->pb), 0)),
                                           uint64_t(std::max<int64_t>(total, 0))))
        return ConversionResult::Stopped;
    }
    avcodec_send_packet(decoder_.get(), nullptr);
    if (!Drain(frame.get()) || !Encode(nullptr, 0) || !Finish()) return failure_;
    return ConversionResult::Done;
  }

 private:
  ConversionResult Open(const std::string& systemPath) {
    AVFormatContext* format = nullptr;
    if (avformat_open_input(&format, systemPath.c_str(), nullptr, nullptr) < 0) return ConversionResult::NotMusic;
    format_.reset(format);
    if (avformat_find_stream_info(format, nullptr) < 0) return ConversionResult::NotMusic;
    const AVCodec* codec = nullptr;
    stream_ = av_find_best_stream(format, AVMEDIA_TYPE_AUDIO, -1, -1, &codec, 0);
    if (stream_ < 0 || codec == nullptr) return ConversionResult::NotMusic;
    decoder_.reset(avcodec_alloc_context3(codec));
    if (!decoder_ || avcodec_parameters_to_context(decoder_.get(), format->streams[stream_]->codecpar) < 0 ||
        avcodec_open2(decoder_.get(), codec, nullptr) < 0)
      return ConversionResult::NotMusic;
    // A source without a channel layout (a WAVE file without its mask) gets the usual one.
    if (decoder_->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC)
      av_channel_layout_default(&decoder_->ch_layout, decoder_->ch_layout.nb_channels);
    channels_ = decoder_->ch_layout.nb_channels >= 2 ? 2 : 1;

    AVChannelLayout layout;
    av_channel_layout_default(&layout, channels_);
    SwrContext* resampler = nullptr;
    if (swr_alloc_set_opts2(&resampler, &layout, AV_SAMPLE_FMT_FLTP, quality_.sampleRate, &decoder_->ch_layout,
                            decoder_->sample_fmt, decoder_->sample_rate, 0, nullptr) < 0)
      return ConversionResult::NotMusic;
    resampler_.reset(resampler);
    if (swr_init(resampler) < 0) return ConversionResult::NotMusic;

    lame_.reset(lame_init());
    lame_global_flags* lame = lame_.get();
    if (lame == nullptr) return ConversionResult::NotMusic;
    lame_set_num_channels(lame, channels_);
    lame_set_in_samplerate(lame, quality_.sampleRate);
    lame_set_out_samplerate(lame, quality_.sampleRate);
    lame_set_mode(lame, channels_ == 1 ? MONO : JOINT_STEREO);
    lame_set_VBR(lame, vbr_default);
    lame_set_VBR_quality(lame, float(quality_.vbrQuality));
    lame_set_write_id3tag_automatic(lame, 0);
    lame_set_bWriteVbrTag(lame, 1);
    // LAME refuses a setting it cannot encode, such as a rate from the settings file it cannot make.
    return lame_init_params(lame) < 0 ? ConversionResult::NotMusic : ConversionResult::Done;
  }

  bool Drain(AVFrame* frame) {
    for (;;) {
      const int received = avcodec_receive_frame(decoder_.get(), frame);
      if (received == AVERROR(EAGAIN) || received == AVERROR_EOF) return true;
      if (received < 0) return false;
      const bool encoded = Encode(const_cast<const uint8_t**>(frame->extended_data), frame->nb_samples);
      av_frame_unref(frame);
      if (!encoded) return false;
    }
  }

  // Resamples and encodes the samples; none at all flushes the resampler.
  bool Encode(const uint8_t** samples, int count) {
    const int room = swr_get_out_samples(resampler_.get(), count);
    if (room < 0) return false;
    left_.resize(size_t(room) + 1);
    right_.resize(size_t(room) + 1);
    uint8_t* planes[2] = {reinterpret_cast<uint8_t*>(left_.data()), reinterpret_cast<uint8_t*>(right_.data())};
    const int made = swr_convert(resampler_.get(), planes, room + 1, samples, count);
    if (made < 0) return false;
    encoded_.resize(size_t(made) * 5 / 4 + 7200);  // LAME's worst case
    const int bytes =
        lame_encode_buffer_ieee_float(lame_.get(), left_.data(), channels_ == 2 ? right_.data() : left_.data(), made,
                                      encoded_.data(), int(encoded_.size()));
    return bytes >= 0 && Write(encoded_.data(), uint32_t(bytes));
  }

  // The last frames, then the LAME header (frame count, byte count, encoder
  // delay) over the first frame that LAME kept free for it.
  bool Finish() {
    encoded_.resize(7200);
    const int bytes = lame_encode_flush(lame_.get(), encoded_.data(), int(encoded_.size()));
    if (bytes < 0 || !Write(encoded_.data(), uint32_t(bytes))) return false;
    const size_t header = lame_get_lametag_frame(lame_.get(), encoded_.data(), encoded_.size());
    uint64_t position = 0;
    if (header == 0 || header > encoded_.size()) return false;
    if (platform::SeekFile(mp3_, int64_t(streamStart_), platform::SeekOrigin::Begin, &position))
      return Write(encoded_.data(), uint32_t(header));
    failure_ = ConversionResult::WriteFailed;
    return false;
  }

  bool Write(const uint8_t* bytes, uint32_t count) {
    uint32_t done = 0;
    if (count == 0 || (platform::WriteFile(mp3_, bytes, count, &done) && done == count)) return true;
    failure_ = ConversionResult::WriteFailed;
    return false;
  }

  platform::FileHandle mp3_;
  const Mp3Quality& quality_;
  std::unique_ptr<AVFormatContext, FormatClose> format_;
  std::unique_ptr<AVCodecContext, CodecFree> decoder_;
  std::unique_ptr<SwrContext, ResamplerFree> resampler_;
  std::unique_ptr<lame_global_flags, LameClose> lame_;
  ConversionResult failure_ = ConversionResult::NotMusic;  // why a step returned false
  int stream_ = -1;
  int channels_ = 2;
  uint32_t streamStart_ = 0;
  std::vector<float> left_, right_;
  std::vector<uint8_t> encoded_;
};

bool HoldsOtherAudio(const char* systemPath) {
  av_log_set_level(AV_LOG_QUIET);
  AVFormatContext* opened = nullptr;
  if (avformat_open_input(&opened, systemPath, nullptr, nullptr) < 0) return false;
  const std::unique_ptr<AVFormatContext, FormatClose> format(opened);
  bool other = false, mpeg = false;
  for (unsigned i = 0; i < format->nb_streams; ++i) {
    const AVCodecParameters& codec = *format->streams[i]->codecpar;
    if (codec.codec_type != AVMEDIA_TYPE_AUDIO) continue;
    const AVCodecID id = codec.codec_id;
    (id == AV_CODEC_ID_MP1 || id == AV_CODEC_ID_MP2 || id == AV_CODEC_ID_MP3 ? mpeg : other) = true;
  }
  return other && !mpeg;
}

ConversionResult ConvertToMp3(const char* systemPath, platform::FileHandle mp3, const Mp3Quality* quality,
                              ConversionCallback progress, void* context) {
  av_log_set_level(AV_LOG_QUIET);
  return Converter(mp3, *quality).Run(systemPath, progress, context);
}

void ReadId3v2Texts(const char* systemPath, TagTextCallback put, void* context) {
  TagLib::MPEG::File file(systemPath, false);
  const TagLib::ID3v2::Tag* tag = file.isValid() ? file.ID3v2Tag() : nullptr;
  if (tag == nullptr) return;
  const std::pair<TagField, TagLib::String> texts[] = {{TagField::Title, tag->title()},
                                                       {TagField::Artist, tag->artist()},
                                                       {TagField::Album, tag->album()},
                                                       {TagField::Comment, tag->comment()}};
  for (const auto& [field, text] : texts) {
    if (text.isEmpty()) continue;
    const std::string utf8 = text.to8Bit(true);
    put(context, field, utf8.data(), utf8.size());
  }
}

}  // namespace

extern "C" __attribute__((visibility("default"))) const CodecFunctions* GetCodecFunctions() {
  static const CodecFunctions functions = {sizeof(CodecFunctions), CodecModuleVersion, HoldsOtherAudio, ConvertToMp3,
                                           ReadId3v2Texts};
  return &functions;
}
