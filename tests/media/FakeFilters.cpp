#include "FakeFilters.h"

#include <mutex>

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
