#include "platform/media/AudioFormat.h"

namespace kavoro::media {

AM_MEDIA_TYPE MakePcmType(const PcmFormat& f) {
  AM_MEDIA_TYPE t;
  t.majortype = MEDIATYPE_Audio;
  t.subtype = MEDIASUBTYPE_PCM;
  t.bFixedSizeSamples = 1;
  t.lSampleSize = static_cast<ULONG>(f.BytesPerFrame());
  WAVEFORMATEX w;
  w.wFormatTag = WAVE_FORMAT_PCM;
  w.nChannels = static_cast<WORD>(f.channels);
  w.nSamplesPerSec = static_cast<DWORD>(f.sampleRate);
  w.wBitsPerSample = 16;
  w.nBlockAlign = static_cast<WORD>(f.BytesPerFrame());
  w.nAvgBytesPerSec = w.nSamplesPerSec * w.nBlockAlign;
  t.SetFormat(FORMAT_WaveFormatEx, w);
  return t;
}

bool ReadPcmType(const AM_MEDIA_TYPE& t, PcmFormat* f) {
  if (t.majortype != MEDIATYPE_Audio || t.subtype != MEDIASUBTYPE_PCM ||
      t.formattype != FORMAT_WaveFormatEx)
    return false;
  const auto* w = t.FormatAs<WAVEFORMATEX>();
  if (!w || w->wFormatTag != WAVE_FORMAT_PCM || w->wBitsPerSample != 16 || w->nChannels < 1 ||
      w->nChannels > kMaxPcmChannels || w->nSamplesPerSec < 1 ||
      w->nSamplesPerSec > static_cast<DWORD>(kMaxSampleRate))
    return false;
  f->channels = w->nChannels;
  f->sampleRate = static_cast<int>(w->nSamplesPerSec);
  return true;
}

}  // namespace kavoro::media
