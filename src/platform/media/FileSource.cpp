#include "platform/media/FileSource.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <string_view>

#include "platform/media/EventCodes.h"
#include "platform/media/IMediaSample.h"
#include "platform/media/MediaClasses.h"
#include "platform/media/MediaErrors.h"
#include "platform/media/SeekingSupport.h"

namespace kavoro::media {
namespace {

// A queue holding this many packets (or bytes) is full; the demuxer then waits, unless
// another stream's queue is empty (its renderer would starve while this one is full).
constexpr std::size_t kQueuePackets = 160;
constexpr std::size_t kQueueBytes = 32u << 20;
// No queue grows past this, even to feed a starving stream.
constexpr std::size_t kQueueHardBytes = 256u << 20;
// How far before the target a search by decoding time aims (AV_TIME_BASE units): more than
// a group of pictures of MPEG-1 and MPEG-2 video.
constexpr std::int64_t kSearchMargin = AV_TIME_BASE;
// Samples in flight between a pin and its decoder.
constexpr LONG kSourceBuffers = 4;
constexpr LONG kSourceBufferBytes = 64 * 1024;

// Containers that the library can open but that are no media for a player, or that pull in
// other files or locations named inside the file.
constexpr std::string_view kRefusedFormats[] = {"tty",   "bin",    "idf",    "xbin", "adf",
                                                "hls",   "concat", "image2", "image2pipe",
                                                "ffmetadata", "lavfi", "sdp", "rtsp", "srt",
                                                "webvtt", "ass", "subviewer", "microdvd"};

bool Refused(const char* formatName) {
  if (!formatName) return true;
  // A demuxer may have several names, separated by commas.
  std::string_view names(formatName);
  for (std::string_view r : kRefusedFormats) {
    std::size_t pos = 0;
    while (pos <= names.size()) {
      std::size_t comma = names.find(',', pos);
      std::string_view one = names.substr(pos, comma == std::string_view::npos ? std::string_view::npos : comma - pos);
      if (one == r) return true;
      if (comma == std::string_view::npos) break;
      pos = comma + 1;
    }
  }
  return false;
}

}  // namespace

class FileSource::OutputPin final : public FixedTypeOutputPin {
 public:
  OutputPin(FileSource& f, std::string name, AM_MEDIA_TYPE type)
      : FixedTypeOutputPin(f, std::move(name), std::move(type), kSourceBuffers,
                           kSourceBufferBytes),
        f_(f) {}

 protected:
  HRESULT QueryExtraInterface(REFIID riid, void** ppv) override {
    if (riid == IIDOf<IMediaSeeking>()) {
      *ppv = static_cast<IMediaSeeking*>(&f_);
      f_.AddRef();
      return S_OK;
    }
    return E_NOINTERFACE;
  }

 private:
  FileSource& f_;
};

FileSource::FileSource() : AddInterfaces(CLSID_KavoroFileSource) {}

FileSource::~FileSource() { StopStreaming(false); }

REFERENCE_TIME FileSource::ToReference(std::int64_t ts, AVRational tb) const {
  return av_rescale_q(ts, tb, kReferenceTimeBase) - origin_;
}

HRESULT FileSource::Load(const std::string& fileName, const AM_MEDIA_TYPE*) {
  if (format_) return E_UNEXPECTED;
  struct stat st {};
  if (::stat(fileName.c_str(), &st) != 0) return VFW_E_NOT_FOUND;
  if (!S_ISREG(st.st_mode)) return VFW_E_UNKNOWN_FILE_TYPE;
  if (st.st_size == 0) return VFW_E_FILE_TOO_SHORT;

  AVDictionary* options = nullptr;
  av_dict_set(&options, "protocol_whitelist", "file", 0);
  AVFormatContext* raw = nullptr;
  int err = avformat_open_input(&raw, fileName.c_str(), nullptr, &options);
  av_dict_free(&options);
  if (err < 0) {
    if (err == AVERROR(ENOENT)) return VFW_E_NOT_FOUND;
    if (err == AVERROR_INVALIDDATA) return VFW_E_UNKNOWN_FILE_TYPE;
    return VFW_E_INVALID_FILE_FORMAT;
  }
  FormatContextPtr ctx(raw);
  if (Refused(ctx->iformat->name)) return VFW_E_UNKNOWN_FILE_TYPE;
  if (avformat_find_stream_info(ctx.get(), nullptr) < 0) return VFW_E_INVALID_FILE_FORMAT;

  origin_ = ctx->start_time == AV_NOPTS_VALUE
                ? 0
                : av_rescale_q(ctx->start_time, AV_TIME_BASE_Q, kReferenceTimeBase);
  if (ctx->duration != AV_NOPTS_VALUE && ctx->duration > 0)
    duration_ = av_rescale_q(ctx->duration, AV_TIME_BASE_Q, kReferenceTimeBase);

  const int video = av_find_best_stream(ctx.get(), AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
  const int audio = av_find_best_stream(ctx.get(), AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
  for (int index : {video, audio}) {
    if (index < 0) continue;
    AVStream* s = ctx->streams[index];
    if (s->disposition & AV_DISPOSITION_ATTACHED_PIC) continue;
    auto stream = std::make_unique<Stream>();
    stream->index = index;
    stream->timeBase = s->time_base;
    stream->reordered = s->codecpar->video_delay > 0;
    const bool isVideo = s->codecpar->codec_type == AVMEDIA_TYPE_VIDEO;
    stream->pin = MakePin<OutputPin>(*this, isVideo ? "Video" : "Audio",
                                     TypeFromParameters(*s->codecpar));
    streams_.push_back(std::move(stream));
  }
  if (streams_.empty()) return VFW_E_NO_TYPES;
  for (unsigned i = 0; i < ctx->nb_streams; ++i)
    ctx->streams[i]->discard = StreamFor(static_cast<int>(i)) ? AVDISCARD_DEFAULT : AVDISCARD_ALL;
  file_ = fileName;
  format_ = std::move(ctx);
  return S_OK;
}

HRESULT FileSource::GetCurFile(std::string* fileName, AM_MEDIA_TYPE* type) {
  if (!fileName) return E_POINTER;
  if (!format_) return E_FAIL;
  *fileName = file_;
  if (type) *type = AM_MEDIA_TYPE{};
  return S_OK;
}

FileSource::Stream* FileSource::StreamFor(int index) {
  for (auto& s : streams_)
    if (s->index == index) return s.get();
  return nullptr;
}

HRESULT FileSource::OnPause(FILTER_STATE from) {
  if (from == State_Stopped && format_) StartStreaming();
  return S_OK;
}

HRESULT FileSource::OnStop() {
  StopStreaming(false);
  return S_OK;
}

bool FileSource::SearchesByDecodingTime() const {
  // Containers whose timestamps live in the stream and may jump (program and transport
  // streams) are searched by reading timestamps at positions in the file.
  if (!(format_->iformat->flags & AVFMT_TS_DISCONT)) return false;
  return std::any_of(streams_.begin(), streams_.end(), [](const auto& s) { return s->reordered; });
}

HRESULT FileSource::Seek() {
  const std::int64_t target = av_rescale_q(position_ + origin_, kReferenceTimeBase, AV_TIME_BASE_Q);
  // Also at position 0: probing the streams has read past the start. A stream container is
  // searched by decoding time (MPEG program streams), which lands past the key frame
  // that reordered pictures at the target need (at the start: the first key frame, whose
  // decoding time comes before time 0). There the search aims a margin earlier; the decoders
  // drop what lies before the target.
  const std::int64_t aim = position_ == 0 || SearchesByDecodingTime() ? target - kSearchMargin
                                                                      : target;
  sought_ = true;
  if (avformat_seek_file(format_.get(), -1, INT64_MIN, aim, target, 0) >= 0) return S_OK;
  // Some containers have no key frame before the margin: the target itself may still do.
  if (aim != target && avformat_seek_file(format_.get(), -1, INT64_MIN, target, target, 0) >= 0)
    return S_OK;
  return KAVORO_E_SEEK_FAILED;
}

void FileSource::StartStreaming() {
  // A start that cannot seek reads on from where the demuxer stands (at the first start, the
  // probe's packets from the file's beginning).
  if (!sought_) Seek();
  sought_ = false;
  runRate_ = rate_;
  {
    std::lock_guard g(queueLock_);
    quit_ = false;
    for (auto& s : streams_) {
      s->queue.clear();
      s->bytes = 0;
      s->ended = false;
    }
  }
  const LONGLONG stop = stop_ >= 0 ? stop_ : (duration_ >= 0 ? duration_ : INT64_MAX);
  for (auto& s : streams_)
    if (s->pin->IsConnected()) s->pin->DeliverNewSegment(position_, stop, runRate_);
  demuxer_ = std::thread([this] { Demux(); });
  for (auto& s : streams_)
    if (s->pin->IsConnected()) deliverers_.emplace_back([this, st = s.get()] { Deliver(*st); });
}

void FileSource::StopStreaming(bool flush) {
  if (flush)
    for (auto& s : streams_)
      if (s->pin->IsConnected()) s->pin->DeliverBeginFlush();
  {
    std::lock_guard g(queueLock_);
    quit_ = true;
  }
  queueChanged_.notify_all();
  if (demuxer_.joinable()) demuxer_.join();
  for (auto& t : deliverers_) t.join();
  deliverers_.clear();
  sought_ = false;
  {
    std::lock_guard g(queueLock_);
    for (auto& s : streams_) {
      s->queue.clear();
      s->bytes = 0;
    }
  }
  if (flush)
    for (auto& s : streams_)
      if (s->pin->IsConnected()) s->pin->DeliverEndFlush();
}

bool FileSource::MustWait(const Stream& s) const {
  if (s.bytes >= kQueueHardBytes) return true;
  if (s.queue.size() < kQueuePackets && s.bytes < kQueueBytes) return false;
  for (auto& other : streams_) {
    if (other.get() == &s || !other->pin->IsConnected() || other->ended) continue;
    if (other->queue.empty()) return false;
  }
  return true;
}

void FileSource::EndAll() {
  std::lock_guard g(queueLock_);
  for (auto& s : streams_) {
    if (!s->ended) {
      s->queue.push_back(nullptr);
      s->ended = true;
    }
  }
  queueChanged_.notify_all();
}

void FileSource::Demux() {
  PacketPtr packet(av_packet_alloc());
  if (!packet) {
    NotifyEvent(EC_ERRORABORT, E_OUTOFMEMORY, 0);
    EndAll();
    return;
  }
  const LONGLONG stop = stop_;
  for (;;) {
    {
      std::lock_guard g(queueLock_);
      if (quit_) return;
    }
    int err = av_read_frame(format_.get(), packet.get());
    if (err == AVERROR(EAGAIN)) continue;
    if (err < 0) {
      // Damage the demuxer cannot read past, or a failing read, is no end: it is reported
      // (and, as the run is then aborted, what came so far only plays out).
      if (err != AVERROR_EOF) NotifyEvent(EC_ERRORABORT, KAVORO_E_READ_FAILED, 0);
      EndAll();
      return;
    }
    Stream* s = StreamFor(packet->stream_index);
    if (!s || !s->pin->IsConnected()) {
      av_packet_unref(packet.get());
      continue;
    }
    const std::int64_t ts = packet->pts != AV_NOPTS_VALUE ? packet->pts : packet->dts;
    std::unique_lock g(queueLock_);
    auto allEnded = [&] {
      return std::all_of(streams_.begin(), streams_.end(),
                         [](auto& x) { return x->ended || !x->pin->IsConnected(); });
    };
    if (s->ended) {
      // Given up or past its stop: nothing more to read once every stream is.
      av_packet_unref(packet.get());
      if (allEnded()) return;
      continue;
    }
    if (stop >= 0 && ts != AV_NOPTS_VALUE && ToReference(ts, s->timeBase) >= stop) {
      s->queue.push_back(nullptr);
      s->ended = true;
      queueChanged_.notify_all();
      av_packet_unref(packet.get());
      if (allEnded()) return;
      continue;
    }
    queueChanged_.wait(g, [&] { return quit_ || !MustWait(*s); });
    if (quit_) return;
    PacketPtr queued(av_packet_alloc());
    if (!queued) {
      g.unlock();
      NotifyEvent(EC_ERRORABORT, E_OUTOFMEMORY, 0);
      EndAll();
      return;
    }
    av_packet_move_ref(queued.get(), packet.get());
    s->bytes += static_cast<std::size_t>(queued->size);
    s->queue.push_back(std::move(queued));
    queueChanged_.notify_all();
  }
}

void FileSource::Deliver(Stream& s) {
  bool first = true;
  for (;;) {
    PacketPtr packet;
    {
      std::unique_lock g(queueLock_);
      queueChanged_.wait(g, [&] { return quit_ || !s.queue.empty(); });
      if (quit_) return;
      packet = std::move(s.queue.front());
      s.queue.pop_front();
      if (packet) s.bytes -= static_cast<std::size_t>(packet->size);
      queueChanged_.notify_all();
    }
    if (!packet) {
      s.pin->DeliverEndOfStream();
      return;
    }
    HRESULT hr = DeliverPacket(s, *packet, first);
    first = false;
    if (hr == S_OK) continue;
    // Downstream refused because it stops or flushes: this run is over for the stream.
    if (!FAILED(hr) || hr == VFW_E_WRONG_STATE || hr == VFW_E_NOT_COMMITTED) return;
    GiveUp(s, hr);
    return;
  }
}

void FileSource::GiveUp(Stream& s, HRESULT hr) {
  {
    std::lock_guard g(queueLock_);
    if (quit_) return;  // stopping: the failure is the stop's doing
    s.queue.clear();
    s.bytes = 0;
    // Ended, so the demuxer drops the stream's packets and never waits for its queue.
    s.ended = true;
  }
  queueChanged_.notify_all();
  NotifyEvent(EC_ERRORABORT, hr, 0);
}

HRESULT FileSource::DeliverPacket(Stream& s, const AVPacket& packet, bool first) {
  ComPtr<IMediaSample> sample;
  HRESULT hr = s.pin->GetDeliveryBuffer(sample.Put());
  if (FAILED(hr)) return hr;
  if (sample->GetSize() < packet.size) {
    ComPtr<IResizableSample> grow = sample.As<IResizableSample>();
    if (!grow || FAILED(grow->Reserve(packet.size))) return E_OUTOFMEMORY;
  }
  BYTE* data = nullptr;
  sample->GetPointer(&data);
  std::memcpy(data, packet.data, static_cast<std::size_t>(packet.size));
  sample->SetActualDataLength(packet.size);
  // Without a presentation time a packet goes by its decoding time, except in a stream whose
  // pictures are reordered and that does carry presentation times: there the decoding time
  // is not when the picture is shown, so the packet goes untimed and the decoder places the
  // picture from the decoding times, which every packet carries as its media time.
  if (packet.pts != AV_NOPTS_VALUE) s.sawPresentationTime = true;
  const std::int64_t ts = packet.pts != AV_NOPTS_VALUE                  ? packet.pts
                          : s.reordered && s.sawPresentationTime ? AV_NOPTS_VALUE
                                                                 : packet.dts;
  auto streamTime = [&](std::int64_t t) {
    return static_cast<REFERENCE_TIME>(
        static_cast<double>(ToReference(t, s.timeBase) - position_) / runRate_);
  };
  if (ts != AV_NOPTS_VALUE) {
    REFERENCE_TIME start = streamTime(ts);
    REFERENCE_TIME length = packet.duration > 0
                                ? av_rescale_q(packet.duration, s.timeBase, kReferenceTimeBase)
                                : 0;
    REFERENCE_TIME end = start + static_cast<REFERENCE_TIME>(static_cast<double>(length) / runRate_);
    sample->SetTime(&start, length > 0 ? &end : nullptr);
  }
  if (packet.dts != AV_NOPTS_VALUE) {
    const REFERENCE_TIME decode = streamTime(packet.dts);
    sample->SetMediaTime(&decode, &decode);
  }
  sample->SetSyncPoint((packet.flags & AV_PKT_FLAG_KEY) != 0);
  sample->SetDiscontinuity(first);
  return s.pin->Deliver(sample.Get());
}

HRESULT FileSource::GetCapabilities(DWORD* caps) {
  if (!caps) return E_POINTER;
  *caps = AM_SEEKING_CanGetStopPos | AM_SEEKING_CanGetDuration | AM_SEEKING_CanGetCurrentPos;
  if (format_ && format_->pb && (format_->pb->seekable & AVIO_SEEKABLE_NORMAL))
    *caps |= AM_SEEKING_CanSeekAbsolute | AM_SEEKING_CanSeekForwards | AM_SEEKING_CanSeekBackwards;
  return S_OK;
}


HRESULT FileSource::GetDuration(LONGLONG* d) {
  if (!d) return E_POINTER;
  if (duration_ < 0) return E_NOTIMPL;
  *d = duration_;
  return S_OK;
}

HRESULT FileSource::GetStopPosition(LONGLONG* s) {
  if (!s) return E_POINTER;
  if (stop_ >= 0) {
    *s = stop_;
    return S_OK;
  }
  return GetDuration(s);
}

HRESULT FileSource::GetCurrentPosition(LONGLONG* c) {
  if (!c) return E_POINTER;
  *c = position_;
  return S_OK;
}

HRESULT FileSource::SetPositions(LONGLONG* current, DWORD currentFlags, LONGLONG* stop,
                                 DWORD stopFlags) {
  if (!format_) return E_UNEXPECTED;
  LONGLONG newPos = 0, newStop = 0;
  const HRESULT hr = ApplyPositioningFlags(current, currentFlags, stop, stopFlags, position_, stop_,
                                           stop_ >= 0 ? stop_ : duration_, &newPos, &newStop);
  if (FAILED(hr)) return hr;
  newPos = std::max<LONGLONG>(0, newPos);
  if (duration_ >= 0) newPos = std::min(newPos, duration_);
  if (newStop >= 0 && newStop < newPos) return E_INVALIDARG;
  const bool streaming = State() != State_Stopped;
  if (streaming) StopStreaming(true);
  const LONGLONG oldPosition = position_, oldStop = stop_;
  position_ = newPos;
  stop_ = newStop;
  const HRESULT sought = Seek();
  if (FAILED(sought)) {
    // Not there: play on from where the last run started (the demuxer, if it cannot go back
    // either, reads on from where it stands).
    position_ = oldPosition;
    stop_ = oldStop;
    Seek();
  }
  if (streaming) StartStreaming();
  if ((currentFlags & AM_SEEKING_ReturnTime) && current) *current = position_;
  if ((stopFlags & AM_SEEKING_ReturnTime) && stop) *stop = stop_;
  return sought;
}


}  // namespace kavoro::media
