#pragma once
// Decoded sound on connections: interleaved signed 16-bit PCM described by WAVEFORMATEX.
#include "platform/media/MediaTypes.h"

namespace kavoro::media {

struct PcmFormat {
  int channels = 0;
  int sampleRate = 0;
  int BytesPerFrame() const { return channels * 2; }
};

AM_MEDIA_TYPE MakePcmType(const PcmFormat& format);
// False when `type` is not 16-bit PCM with 1..8 channels at 1 Hz..384 kHz.
bool ReadPcmType(const AM_MEDIA_TYPE& type, PcmFormat* format);

constexpr int kMaxPcmChannels = 8;
constexpr int kMaxSampleRate = 384000;

}  // namespace kavoro::media
