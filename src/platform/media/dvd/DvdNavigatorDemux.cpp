// The navigator's demuxing: program-stream blocks cut into PES payloads, framed into the units
// the decoders take and handed to the output queues.
#include <algorithm>
#include <cstring>

#include "platform/media/dvd/DvdNavigatorImpl.h"

namespace kavoro::media {

// What the audio pin offers, and tells with a sample when the coding changes: DVD audio is
// 48 kHz; the decoder finds the channels in the stream.
AM_MEDIA_TYPE DvdAudioType(AVCodecID codec) {
  AVCodecParameters* ap = avcodec_parameters_alloc();
  ap->codec_type = AVMEDIA_TYPE_AUDIO;
  ap->codec_id = codec;
  ap->sample_rate = 48000;
  av_channel_layout_default(&ap->ch_layout, 2);
  if (codec == AV_CODEC_ID_PCM_DVD) ap->bits_per_coded_sample = 16;
  AM_MEDIA_TYPE type = TypeFromParameters(*ap);
  avcodec_parameters_free(&ap);
  return type;
}

void DvdNavigator::Impl::Deliver(NavPin* pin, const std::uint8_t* data, int size,
                                 std::int64_t pts90k, bool sync) {
  if (!pin->IsConnected() || size <= 0 || size > pin->BufferBytes()) return;
  ComPtr<IMediaSample> sample;
  if (FAILED(pin->GetDeliveryBuffer(sample.Put())) || !sample) return;
  BYTE* buffer = nullptr;
  sample->GetPointer(&buffer);
  std::memcpy(buffer, data, static_cast<std::size_t>(size));
  sample->SetActualDataLength(size);
  if (pin == audio && pendingAudioType) {
    sample->SetMediaType(&*pendingAudioType);
    pendingAudioType.reset();
  }
  if (pts90k != kNoPts) {
    REFERENCE_TIME start = From90k(OutTime(pts90k));
    REFERENCE_TIME end = start + 1;
    sample->SetTime(&start, &end);
  }
  pin->delivered.store(pin->feeding);
  sample->SetSyncPoint(sync ? 1 : 0);
  sample->SetDiscontinuity(pin->discontinuity ? 1 : 0);
  pin->discontinuity = false;
  pin->queue.Deliver(sample.Get());  // dropped while flushing: the data is stale anyway
}

void DvdNavigator::Impl::DrainVideo() {
  // The decoder holds the newest picture back until the next one; a still has no next one,
  // so the held picture is pushed out by a sequence end code on its own.
  videoFramer.Drain([&](const std::uint8_t* d, int n, std::int64_t pts, bool key) {
    Deliver(video, d, n, pts, key);
  });
  static const std::uint8_t kSequenceEnd[] = {0x00, 0x00, 0x01, 0xB7};
  Deliver(video, kSequenceEnd, 4, kNoPts, false);
  videoFramer.Reset(AV_CODEC_ID_MPEG2VIDEO);
}

void DvdNavigator::Impl::Demux(const std::uint8_t* b, int len) {
  int pos = 0;
  if (len >= 14 && b[0] == 0 && b[1] == 0 && b[2] == 1 && b[3] == 0xBA) {
    pos = (b[4] & 0xC0) == 0x40 ? 14 + (b[13] & 7) : 12;  // MPEG-2 or MPEG-1 pack header
  }
  while (pos + 6 <= len) {
    if (b[pos] != 0 || b[pos + 1] != 0 || b[pos + 2] != 1) return;
    const int id = b[pos + 3];
    const int pesLen = (b[pos + 4] << 8) | b[pos + 5];
    const int end = std::min(len, pos + 6 + pesLen);
    if (id == 0xBA) return;
    const bool media = id == 0xE0 || id == 0xBD || (id >= 0xC0 && id <= 0xDF);
    if (media && pos + 9 <= end) {
      const std::uint8_t* h = b + pos;
      std::int64_t pts = kNoPts;
      int payload = pos + 9 + h[8];
      if ((h[6] & 0xC0) == 0x80) {
        if ((h[7] & 0x80) && pos + 14 <= end) {
          pts = (static_cast<std::int64_t>(h[9] & 0x0E) << 29) | (h[10] << 22) |
                ((h[11] & 0xFE) << 14) | (h[12] << 7) | (h[13] >> 1);
        }
      } else {
        payload = end;  // not an MPEG-2 PES header: nothing we can use
      }
      if (payload < end) {
        int subId = -1;
        const std::uint8_t* data = b + payload;
        int size = end - payload;
        if (id == 0xBD) {
          subId = data[0];
          int skip = 1;
          if ((subId & 0xF0) == 0x80) skip = 4;         // AC3, DTS: frame count, pointer
          else if ((subId & 0xF0) == 0xA0) skip = 4;    // LPCM: its 3-byte header stays
          if (size <= skip) subId = -1;
          data += skip;
          size -= skip;
        }
        if (size > 0 && (id != 0xBD || subId >= 0)) OnPes(id, subId, data, size, pts);
      }
    }
    pos = end;
  }
}

void DvdNavigator::Impl::OnPes(int id, int subId, const std::uint8_t* data, int size,
                               std::int64_t pts) {
  if (id == 0xE0) {
    video->feeding = id;
    videoFramer.Feed(data, size, pts, [&](const std::uint8_t* d, int n, std::int64_t p, bool key) {
      if (PassVideo(key, videoFramer.pictType)) Deliver(video, d, n, p, key);
    });
    return;
  }
  if (!PassAudioAndSubpictures()) return;
  AVCodecID codec = AV_CODEC_ID_NONE;
  int number = -1;
  if (id >= 0xC0 && id <= 0xDF) {
    codec = AV_CODEC_ID_MP2;
    number = (id - 0xC0) & 7;
  } else if (subId >= 0x80 && subId <= 0x87) {
    codec = AV_CODEC_ID_AC3;
    number = subId - 0x80;
  } else if (subId >= 0x88 && subId <= 0x8F) {
    codec = AV_CODEC_ID_DTS;
    number = subId - 0x88;
  } else if (subId >= 0xA0 && subId <= 0xA7) {
    codec = AV_CODEC_ID_PCM_DVD;
    number = subId - 0xA0;
  }
  if (codec != AV_CODEC_ID_NONE) {
    if (number != audioPhysical || !audio->IsConnected()) return;
    audio->feeding = subId >= 0 ? subId : id;
    if (codec != deliveredAudioCodec) {
      // Another coding than the decoder had so far (the user chose a stream of another
      // format): the first unit of it carries the new media type, and the decoder changes.
      deliveredAudioCodec = codec;
      pendingAudioType = DvdAudioType(codec);
      audioFramer.Reset(codec == AV_CODEC_ID_PCM_DVD ? AV_CODEC_ID_NONE : codec);
    }
    audioFramer.Feed(data, size, pts, [&](const std::uint8_t* d, int n, std::int64_t p, bool) {
      Deliver(audio, d, n, p, true);
    });
    return;
  }
  if (subId >= 0x20 && subId <= 0x3F) {
    if (subId - 0x20 != spuPhysical || !sub->IsConnected()) return;
    if (!TellSubpictureShown()) return;
    sub->feeding = subId;
    // A subpicture unit spans packets.
    spuUnit.Feed(data, static_cast<std::size_t>(size), pts,
                 [&](const std::uint8_t* unit, std::size_t n, std::int64_t unitPts) {
                   Deliver(sub, unit, static_cast<int>(n), unitPts, true);
                 });
  }
}

}  // namespace kavoro::media
