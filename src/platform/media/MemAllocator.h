#pragma once
// The framework's allocator: a bounded pool of heap buffers. Samples go back to the pool on
// their last Release; GetBuffer waits while all are out. Buffers can be enlarged by their
// holder (IResizableSample), so compressed data of any size fits.
#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "platform/com/ComPtr.h"
#include "platform/media/AddInterfaces.h"
#include "platform/media/IMediaSample.h"

namespace kavoro::media {

class MemAllocator;

// One buffer of the pool. Its reference count is its own; the last Release hands it back to
// the allocator, which keeps it for the next GetBuffer (or frees it when decommitted).
class MediaSample : public ComObject<IMediaSample, IResizableSample> {
 public:
  explicit MediaSample(MemAllocator* owner, LONG size);

  ULONG AddRef() override { return ++refs_; }
  ULONG Release() override;

  HRESULT GetPointer(BYTE** buffer) override;
  LONG GetSize() override;
  HRESULT GetTime(REFERENCE_TIME* start, REFERENCE_TIME* end) override;
  HRESULT SetTime(const REFERENCE_TIME* start, const REFERENCE_TIME* end) override;
  HRESULT IsSyncPoint() override;
  HRESULT SetSyncPoint(BOOL sync) override;
  HRESULT IsPreroll() override;
  HRESULT SetPreroll(BOOL preroll) override;
  LONG GetActualDataLength() override;
  HRESULT SetActualDataLength(LONG length) override;
  HRESULT GetMediaType(AM_MEDIA_TYPE** type) override;
  HRESULT SetMediaType(const AM_MEDIA_TYPE* type) override;
  HRESULT IsDiscontinuity() override;
  HRESULT SetDiscontinuity(BOOL discontinuity) override;
  HRESULT GetMediaTime(LONGLONG* start, LONGLONG* end) override;
  HRESULT SetMediaTime(const LONGLONG* start, const LONGLONG* end) override;
  HRESULT Reserve(LONG size) override;

  // Allocator only: clears times, flags and length before the sample is handed out again.
  void ResetForReuse();

 private:
  friend class MemAllocator;
  friend struct SampleDeleter;
  ~MediaSample() override = default;

  // The sample's own count: its last Release returns it to the pool instead of deleting it.
  std::atomic<ULONG> refs_{1};
  MemAllocator* owner_;  // a sample that is out holds a reference to its allocator
  std::vector<BYTE> buffer_;
  LONG length_ = 0;
  std::optional<REFERENCE_TIME> start_, end_;
  std::optional<LONGLONG> mediaStart_, mediaEnd_;
  bool sync_ = false;
  bool preroll_ = false;
  bool discontinuity_ = false;
  std::optional<AM_MEDIA_TYPE> type_;
};

struct SampleDeleter {
  void operator()(MediaSample* s) const { delete s; }
};
using OwnedSample = std::unique_ptr<MediaSample, SampleDeleter>;

class MemAllocator : public ComObject<IMemAllocator> {
 public:
  MemAllocator() = default;

  HRESULT SetProperties(const ALLOCATOR_PROPERTIES* request, ALLOCATOR_PROPERTIES* actual) override;
  HRESULT GetProperties(ALLOCATOR_PROPERTIES* props) override;
  HRESULT Commit() override;
  HRESULT Decommit() override;
  HRESULT GetBuffer(IMediaSample** sample, REFERENCE_TIME* start, REFERENCE_TIME* end,
                    DWORD flags) override;
  HRESULT ReleaseBuffer(IMediaSample* sample) override;

 private:
  friend class MediaSample;
  ~MemAllocator() override;
  // A sample's last Release: back into the pool. Any thread.
  void Return(MediaSample* sample);

  std::mutex lock_;
  std::condition_variable freed_;
  // guarded by lock_
  ALLOCATOR_PROPERTIES props_;
  bool propsSet_ = false;
  bool committed_ = false;
  LONG made_ = 0;                      // samples in existence (free or out)
  std::vector<OwnedSample> free_;
};

}  // namespace kavoro::media
