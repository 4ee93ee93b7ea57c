// The track-info library: FFmpeg's demuxers read tags and stream details
// without decoding anything.
#include <cstdio>
#include <string>

#include "platform/TrackInfoReader.h"

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/dict.h>
}

namespace {
void ReportTags(const AVDictionary* tags, TarnelloTrackField field, void* context) {
  const AVDictionaryEntry* entry = nullptr;
  while ((entry = av_dict_get(tags, "", entry, AV_DICT_IGNORE_SUFFIX)) != nullptr) {
    const std::string key = std::string("tag:") + entry->key;
    field(context, key.c_str(), entry->value);
  }
}

void ReportNumber(const char* key, int64_t value, TarnelloTrackField field, void* context) {
  if (value <= 0) return;
  const std::string text = std::to_string(value);
  field(context, key, text.c_str());
}
}  // namespace

extern "C" __attribute__((visibility("default"))) int TarnelloReadTrackInfo(const char* path,
                                                                             TarnelloTrackField field,
                                                                             void* context) {
  AVFormatContext* format = nullptr;
  if (avformat_open_input(&format, path, nullptr, nullptr) < 0) return 0;
  if (avformat_find_stream_info(format, nullptr) < 0) {
    avformat_close_input(&format);
    return 0;
  }
  const int audio = av_find_best_stream(format, AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
  if (audio < 0) {
    avformat_close_input(&format);
    return 0;
  }
  const AVStream* stream = format->streams[audio];
  const AVCodecParameters* codec = stream->codecpar;
  field(context, "format", format->iformat->name);
  field(context, "codec", avcodec_get_name(codec->codec_id));
  ReportTags(format->metadata, field, context);
  ReportTags(stream->metadata, field, context);
  int64_t lengthMs = format->duration > 0 ? format->duration / (AV_TIME_BASE / 1000) : 0;
  if (lengthMs <= 0 && stream->duration > 0)
    lengthMs = av_rescale_q(stream->duration, stream->time_base, AVRational{1, 1000});
  ReportNumber("length_ms", lengthMs, field, context);
  ReportNumber("bit_rate", codec->bit_rate > 0 ? codec->bit_rate : format->bit_rate, field, context);
  ReportNumber("sample_rate", codec->sample_rate, field, context);
  ReportNumber("channels", codec->ch_layout.nb_channels, field, context);
  avformat_close_input(&format);
  return 1;
}
