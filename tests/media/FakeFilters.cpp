#include "FakeFilters.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <mutex>

#include "platform/media/Enumerators.h"
#include "platform/media/MediaClasses.h"

namespace kavoro::testing {
namespace {

using media::BaseFilter;
using media::BaseInputPin;
using media::BaseOutputPin;

class FakeSource final : public BaseFilter {
 public:
  explicit FakeSource(const GUID& subtype) : BaseFilter(CLSID_FakeSource) {
    MakePin<Out>(*this, FakeType(subtype));
  }

 private:
  class Out final : public BaseOutputPin {
   public:
    Out(BaseFilter& f, AM_MEDIA_TYPE t) : BaseOutputPin(f, "Out"), type_(std::move(t)) {}

   protected:
    HRESULT CheckMediaType(const AM_MEDIA_TYPE& t) override { return t == type_ ? S_OK : S_FALSE; }
    HRESULT GetMediaType(int i, AM_MEDIA_TYPE* t) override {
      if (i) return S_FALSE;
      *t = type_;
      return S_OK;
    }
    HRESULT DecideBufferSize(ALLOCATOR_PROPERTIES* p) override {
      p->cBuffers = 1;
      p->cbBuffer = 16;
      return S_OK;
    }

   private:
    AM_MEDIA_TYPE type_;
  };
};

class FakeSink final : public BaseFilter {
 public:
  explicit FakeSink(const GUID& subtype) : BaseFilter(CLSID_FakeSink) {
    MakePin<In>(*this, subtype);
  }

 private:
  class In final : public BaseInputPin {
   public:
    In(BaseFilter& f, GUID sub) : BaseInputPin(f, "In"), sub_(sub) {}

   protected:
    HRESULT CheckMediaType(const AM_MEDIA_TYPE& t) override {
      return t.majortype == MEDIATYPE_Video && t.subtype == sub_ ? S_OK : S_FALSE;
    }
    HRESULT OnReceive(IMediaSample*) override { return S_OK; }

   private:
    GUID sub_;
  };
};

class FakeTransform final : public media::TransformFilter {
 public:
  FakeTransform(const CLSID& clsid, GUID in, GUID out)
      : TransformFilter(clsid, "In", "Out"), in_(in), out_(out) {}

 protected:
  HRESULT CheckInputType(const AM_MEDIA_TYPE& t) override {
    return t.majortype == MEDIATYPE_Video && t.subtype == in_ ? S_OK : S_FALSE;
  }
  HRESULT GetOutputType(int i, AM_MEDIA_TYPE* t) override {
    if (i) return S_FALSE;
    *t = FakeType(out_);
    return S_OK;
  }
  HRESULT CheckOutputType(const AM_MEDIA_TYPE&, const AM_MEDIA_TYPE& t) override {
    return t.subtype == out_ ? S_OK : S_FALSE;
  }
  HRESULT DecideBufferSize(const AM_MEDIA_TYPE&, ALLOCATOR_PROPERTIES* p) override {
    p->cBuffers = 1;
    p->cbBuffer = 16;
    return S_OK;
  }
  HRESULT Process(IMediaSample*) override { return S_OK; }

 private:
  GUID in_, out_;
};

class FailingPassThrough final : public media::TransformFilter {
 public:
  FailingPassThrough(int pass, HRESULT failure, int failRunFrom)
      : TransformFilter(CLSID_FakeFailing, "In", "Out"), pass_(pass), failure_(failure),
        failRunFrom_(failRunFrom) {}

 protected:
  HRESULT CheckInputType(const AM_MEDIA_TYPE&) override { return S_OK; }
  HRESULT GetOutputType(int i, AM_MEDIA_TYPE* t) override {
    if (i) return S_FALSE;
    *t = InputType();
    return S_OK;
  }
  HRESULT CheckOutputType(const AM_MEDIA_TYPE& in, const AM_MEDIA_TYPE& out) override {
    return in == out ? S_OK : S_FALSE;
  }
  HRESULT DecideBufferSize(const AM_MEDIA_TYPE& out, ALLOCATOR_PROPERTIES* p) override {
    p->cBuffers = 4;
    p->cbBuffer = std::max<LONG>(static_cast<LONG>(out.lSampleSize), kBufferBytes);
    return S_OK;
  }
  HRESULT Process(IMediaSample* in) override {
    if (failure_ != S_OK && passed_ >= pass_) return failure_;
    ++passed_;
    ComPtr<IMediaSample> out;
    HRESULT hr = GetOutputBuffer(out.Put());
    if (FAILED(hr)) return hr;
    const LONG size = in->GetActualDataLength();
    if (out->GetSize() < size) {
      ComPtr<IResizableSample> grow = out.As<IResizableSample>();
      if (!grow || FAILED(grow->Reserve(size))) return E_OUTOFMEMORY;
    }
    BYTE *from = nullptr, *to = nullptr;
    in->GetPointer(&from);
    out->GetPointer(&to);
    std::memcpy(to, from, static_cast<std::size_t>(size));
    out->SetActualDataLength(size);
    REFERENCE_TIME start = 0, end = 0;
    if (in->GetTime(&start, &end) == S_OK) out->SetTime(&start, &end);
    else if (SUCCEEDED(in->GetTime(&start, &end))) out->SetTime(&start, nullptr);
    LONGLONG ms = 0, me = 0;
    if (in->GetMediaTime(&ms, &me) == S_OK) out->SetMediaTime(&ms, &me);
    out->SetSyncPoint(in->IsSyncPoint() == S_OK);
    out->SetDiscontinuity(in->IsDiscontinuity() == S_OK);
    AM_MEDIA_TYPE* changed = nullptr;
    if (in->GetMediaType(&changed) == S_OK && changed) {
      out->SetMediaType(changed);
      DeleteMediaType(changed);
    }
    return DeliverOutput(out.Get());
  }
  HRESULT OnRun(REFERENCE_TIME start) override {
    ++runs_;
    if (failRunFrom_ > 0 && runs_ >= failRunFrom_) return VFW_E_RUNTIME_ERROR;
    return TransformFilter::OnRun(start);
  }

 private:
  static constexpr LONG kBufferBytes = 64 * 1024;
  const int pass_;
  const HRESULT failure_;
  const int failRunFrom_;
  int passed_ = 0;  // streaming thread
  int runs_ = 0;    // application thread
};

RegisteredFilter TransformRecord(const CLSID& clsid, const char* name, DWORD merit,
                                 const GUID& in, const GUID& out) {
  RegisteredFilter r;
  r.clsid = clsid;
  r.name = name;
  r.merit = merit;
  RegisteredPin pi, po;
  pi.name = "In";
  pi.types = {{MEDIATYPE_Video, in}};
  po.name = "Out";
  po.output = true;
  po.types = {{MEDIATYPE_Video, out}};
  r.pins = {pi, po};
  return r;
}

template <class T>
ClassCreator Maker(CLSID clsid, GUID in, GUID out) {
  return [=](REFIID riid, void** ppv) {
    return MakeCom<T>(clsid, in, out)->QueryInterface(riid, ppv);
  };
}

}  // namespace

AM_MEDIA_TYPE FakeType(const GUID& subtype) {
  AM_MEDIA_TYPE t;
  t.majortype = MEDIATYPE_Video;
  t.subtype = subtype;
  t.formattype = FORMAT_None;
  return t;
}

ComPtr<IBaseFilter> MakeFakeSource(const GUID& subtype) { return MakeCom<FakeSource>(subtype); }
ComPtr<IBaseFilter> MakeFakeSink(const GUID& subtype) { return MakeCom<FakeSink>(subtype); }

ComPtr<IBaseFilter> MakeFailingPassThrough(int passSamples, HRESULT sampleFailure,
                                           int failRunFrom) {
  return MakeCom<FailingPassThrough>(passSamples, sampleFailure, failRunFrom);
}

void InsertAfter(IGraphBuilder* graph, IPin* out, IBaseFilter* filter) {
  ComPtr<IPin> in = media::PeerOf(out);
  ASSERT_TRUE(in);
  ASSERT_EQ(graph->Disconnect(out), S_OK);
  ASSERT_EQ(graph->Disconnect(in.Get()), S_OK);
  auto pins = media::PinsOf(filter);
  ASSERT_EQ(pins.size(), 2u);
  ASSERT_EQ(graph->ConnectDirect(out, pins[0].Get(), nullptr), S_OK);
  ASSERT_EQ(graph->ConnectDirect(pins[1].Get(), in.Get(), nullptr), S_OK);
}

void RegisterFakeTransforms() {
  static std::once_flag once;
  std::call_once(once, [] {
    media::RegisterBuiltInFilter(
        CLSID_LegacyAmFilterCategory,
        TransformRecord(CLSID_FakeAtoB, "Fake A to B", MERIT_NORMAL, kFakeTypeA, kFakeTypeB),
        Maker<FakeTransform>(CLSID_FakeAtoB, kFakeTypeA, kFakeTypeB));
    media::RegisterBuiltInFilter(
        CLSID_LegacyAmFilterCategory,
        TransformRecord(CLSID_FakeAtoC, "Fake A to C", MERIT_NORMAL + 1, kFakeTypeA, kFakeTypeC),
        Maker<FakeTransform>(CLSID_FakeAtoC, kFakeTypeA, kFakeTypeC));
  });
}

}  // namespace kavoro::testing
