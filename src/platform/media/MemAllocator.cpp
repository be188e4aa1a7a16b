#include "platform/media/MemAllocator.h"

#include "platform/media/MediaErrors.h"

namespace kavoro::media {

MediaSample::MediaSample(MemAllocator* owner, LONG size)
    : owner_(owner), buffer_(static_cast<std::size_t>(size)) {}

ULONG MediaSample::Release() {
  ULONG left = --refs_;
  if (left == 0) owner_->Return(this);
  return left;
}

HRESULT MediaSample::GetPointer(BYTE** buffer) {
  if (!buffer) return E_POINTER;
  *buffer = buffer_.data();
  return S_OK;
}

LONG MediaSample::GetSize() { return static_cast<LONG>(buffer_.size()); }

HRESULT MediaSample::GetTime(REFERENCE_TIME* start, REFERENCE_TIME* end) {
  if (!start || !end) return E_POINTER;
  if (!start_) return VFW_E_SAMPLE_TIME_NOT_SET;
  *start = *start_;
  if (!end_) {
    *end = *start_ + 1;
    return VFW_S_NO_STOP_TIME;
  }
  *end = *end_;
  return S_OK;
}

HRESULT MediaSample::SetTime(const REFERENCE_TIME* start, const REFERENCE_TIME* end) {
  if (!start) {
    start_.reset();
    end_.reset();
    return S_OK;
  }
  start_ = *start;
  if (end) end_ = *end;
  else end_.reset();
  return S_OK;
}

HRESULT MediaSample::IsSyncPoint() { return sync_ ? S_OK : S_FALSE; }
HRESULT MediaSample::SetSyncPoint(BOOL sync) {
  sync_ = sync != 0;
  return S_OK;
}
HRESULT MediaSample::IsPreroll() { return preroll_ ? S_OK : S_FALSE; }
HRESULT MediaSample::SetPreroll(BOOL preroll) {
  preroll_ = preroll != 0;
  return S_OK;
}
LONG MediaSample::GetActualDataLength() { return length_; }
HRESULT MediaSample::SetActualDataLength(LONG length) {
  if (length < 0 || length > GetSize()) return VFW_E_BUFFER_OVERFLOW;
  length_ = length;
  return S_OK;
}

HRESULT MediaSample::GetMediaType(AM_MEDIA_TYPE** type) {
  if (!type) return E_POINTER;
  *type = nullptr;
  if (!type_) return S_FALSE;
  *type = std::make_unique<AM_MEDIA_TYPE>(*type_).release();
  return S_OK;
}

HRESULT MediaSample::SetMediaType(const AM_MEDIA_TYPE* type) {
  if (type) type_ = *type;
  else type_.reset();
  return S_OK;
}

HRESULT MediaSample::IsDiscontinuity() { return discontinuity_ ? S_OK : S_FALSE; }
HRESULT MediaSample::SetDiscontinuity(BOOL discontinuity) {
  discontinuity_ = discontinuity != 0;
  return S_OK;
}

HRESULT MediaSample::GetMediaTime(LONGLONG* start, LONGLONG* end) {
  if (!start || !end) return E_POINTER;
  if (!mediaStart_ || !mediaEnd_) return VFW_E_MEDIA_TIME_NOT_SET;
  *start = *mediaStart_;
  *end = *mediaEnd_;
  return S_OK;
}

HRESULT MediaSample::SetMediaTime(const LONGLONG* start, const LONGLONG* end) {
  if (!start || !end) {
    mediaStart_.reset();
    mediaEnd_.reset();
    return S_OK;
  }
  mediaStart_ = *start;
  mediaEnd_ = *end;
  return S_OK;
}

HRESULT MediaSample::Reserve(LONG size) {
  if (size < 0) return E_INVALIDARG;
  if (static_cast<std::size_t>(size) <= buffer_.size()) return S_OK;
  try {
    buffer_.resize(static_cast<std::size_t>(size));
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  return S_OK;
}

void MediaSample::ResetForReuse() {
  length_ = 0;
  start_.reset();
  end_.reset();
  mediaStart_.reset();
  mediaEnd_.reset();
  sync_ = preroll_ = discontinuity_ = false;
  type_.reset();
}

MemAllocator::~MemAllocator() = default;

HRESULT MemAllocator::SetProperties(const ALLOCATOR_PROPERTIES* request,
                                    ALLOCATOR_PROPERTIES* actual) {
  if (!request || !actual) return E_POINTER;
  std::lock_guard g(lock_);
  if (committed_) return VFW_E_ALREADY_COMMITTED;
  if (made_ > static_cast<LONG>(free_.size())) return VFW_E_BUFFERS_OUTSTANDING;
  if (request->cBuffers < 1 || request->cbBuffer < 0) return E_INVALIDARG;
  props_ = *request;
  props_.cbAlign = 1;
  props_.cbPrefix = 0;
  propsSet_ = true;
  *actual = props_;
  return S_OK;
}

HRESULT MemAllocator::GetProperties(ALLOCATOR_PROPERTIES* props) {
  if (!props) return E_POINTER;
  std::lock_guard g(lock_);
  *props = props_;
  return S_OK;
}

HRESULT MemAllocator::Commit() {
  std::lock_guard g(lock_);
  if (!propsSet_) return VFW_E_SIZENOTSET;
  committed_ = true;
  return S_OK;
}

HRESULT MemAllocator::Decommit() {
  std::lock_guard g(lock_);
  committed_ = false;
  made_ -= static_cast<LONG>(free_.size());
  free_.clear();
  freed_.notify_all();
  return S_OK;
}

HRESULT MemAllocator::GetBuffer(IMediaSample** sample, REFERENCE_TIME*, REFERENCE_TIME*,
                                DWORD flags) {
  if (!sample) return E_POINTER;
  *sample = nullptr;
  std::unique_lock g(lock_);
  for (;;) {
    if (!committed_) return VFW_E_NOT_COMMITTED;
    if (!free_.empty()) {
      OwnedSample s = std::move(free_.back());
      free_.pop_back();
      s->ResetForReuse();
      s->refs_ = 1;
      AddRef();  // a sample that is out keeps its pool alive
      *sample = s.release();
      return S_OK;
    }
    if (made_ < props_.cBuffers) {
      ++made_;
      g.unlock();
      OwnedSample s;
      try {
        s.reset(new MediaSample(this, props_.cbBuffer));
      } catch (const std::bad_alloc&) {
        std::lock_guard again(lock_);
        --made_;
        return E_OUTOFMEMORY;
      }
      AddRef();
      *sample = s.release();
      return S_OK;
    }
    if (flags & AM_GBF_NOWAIT) return VFW_E_TIMEOUT;
    freed_.wait(g);
  }
}

HRESULT MemAllocator::ReleaseBuffer(IMediaSample* sample) {
  // Samples return themselves on their last Release; a direct call has nothing to add.
  return sample ? S_OK : E_POINTER;
}

void MemAllocator::Return(MediaSample* sample) {
  OwnedSample owned(sample);
  {
    std::lock_guard g(lock_);
    if (committed_ && static_cast<LONG>(free_.size()) < props_.cBuffers) {
      free_.push_back(std::move(owned));
    } else {
      --made_;
    }
    freed_.notify_one();
  }
  owned.reset();
  Release();  // may delete this allocator
}

}  // namespace kavoro::media
