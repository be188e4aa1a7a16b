#pragma once
// Fakes for graph-building tests: a source that offers one video type, a sink that accepts
// one, and pass-through transforms between two types that tests register as built-in
// filters so that intelligent connect finds them.
#include "platform/media/BaseRenderer.h"
#include "platform/media/FilterCatalog.h"
#include "platform/media/IFilterGraph.h"
#include "platform/media/TransformFilter.h"

namespace kavoro::testing {

// Subtypes of the fakes' own video types.
constexpr GUID kFakeTypeA = MakeGuid(0x7E570001, 0, 0, 1, 2, 3, 4, 5, 6, 7, 8);
constexpr GUID kFakeTypeB = MakeGuid(0x7E570002, 0, 0, 1, 2, 3, 4, 5, 6, 7, 8);
constexpr GUID kFakeTypeC = MakeGuid(0x7E570003, 0, 0, 1, 2, 3, 4, 5, 6, 7, 8);
constexpr CLSID CLSID_FakeSource = MakeGuid(0x7E57F001, 0, 0, 1, 2, 3, 4, 5, 6, 7, 8);
constexpr CLSID CLSID_FakeSink = MakeGuid(0x7E57F002, 0, 0, 1, 2, 3, 4, 5, 6, 7, 8);
constexpr CLSID CLSID_FakeAtoB = MakeGuid(0x7E57F003, 0, 0, 1, 2, 3, 4, 5, 6, 7, 8);
constexpr CLSID CLSID_FakeAtoC = MakeGuid(0x7E57F004, 0, 0, 1, 2, 3, 4, 5, 6, 7, 8);
constexpr CLSID CLSID_FakeFailing = MakeGuid(0x7E57F005, 0, 0, 1, 2, 3, 4, 5, 6, 7, 8);

AM_MEDIA_TYPE FakeType(const GUID& subtype);

ComPtr<IBaseFilter> MakeFakeSource(const GUID& subtype);
ComPtr<IBaseFilter> MakeFakeSink(const GUID& subtype);
// A pass-through for any type (the output takes the input's type): lets `passSamples` samples
// through, then fails every further one with `sampleFailure` (S_OK: never). From its
// `failRunFrom`-th run on (0: never), Run fails with VFW_E_RUNTIME_ERROR. Put between two
// filters to make a failure where a decoder or a renderer would meet one.
ComPtr<IBaseFilter> MakeFailingPassThrough(int passSamples, HRESULT sampleFailure,
                                           int failRunFrom = 0);
// Puts `filter` (already in the graph) between the output pin `out` and the input it feeds.
void InsertAfter(IGraphBuilder* graph, IPin* out, IBaseFilter* filter);

// Registers the A->B transform (merit normal) and the A->C dead end (higher merit, so it is
// tried first). Once per process.
void RegisterFakeTransforms();

}  // namespace kavoro::testing
