#pragma once
// Object persistence: objects that save themselves into a stream, and the helpers that store an
// object's class identifier in front of its data so that it can be made again from the stream.
#include "platform/com/IPersist.h"
#include "platform/com/storage/Stream.h"

namespace kavoro {

struct IPersistStream : IPersist {
  static constexpr IID kIID = MakeGuid(0x00000109, 0x0000, 0x0000, 0xC0, 0x00, 0x00, 0x00, 0x00,
                                       0x00, 0x00, 0x46);
  using Base = IPersist;
  // S_OK when the object changed since it was last saved, S_FALSE otherwise.
  virtual HRESULT IsDirty() = 0;
  // Reads the object's state from the stream's position.
  virtual HRESULT Load(IStream* pStm) = 0;
  // Writes the object's state at the stream's position; fClearDirty clears the changed mark.
  virtual HRESULT Save(IStream* pStm, BOOL fClearDirty) = 0;
  // The most bytes Save may write.
  virtual HRESULT GetSizeMax(ULARGE_INTEGER* pcbSize) = 0;
};

// Writes `clsid` as 16 bytes in the platform's binary layout: Data1 as 4 bytes, Data2 and Data3
// as 2 bytes each, all least significant byte first, then the 8 bytes of Data4 in order.
HRESULT WriteClassStm(IStream* pStm, REFCLSID clsid);
// Reads 16 bytes written by WriteClassStm. Fewer than 16 left: STG_E_READFAULT (the position
// has then moved past what was there); *pclsid is GUID_NULL on any failure.
HRESULT ReadClassStm(IStream* pStm, CLSID* pclsid);

// Writes the object's class identifier (IPersist::GetClassID) and then its data (Save with
// fClearDirty set). A null object writes the null class identifier alone, which reads back as
// "no object". The first failure is returned; what was written before it stays in the stream.
HRESULT OleSaveToStream(IPersistStream* pPStm, IStream* pStm);

// Makes the object saved by OleSaveToStream: reads the class identifier, creates the object
// with CoCreateInstance, loads it through its IPersistStream and returns its interface `iid`.
// On any failure *ppvObj is null and no object is left alive:
// - fewer than 16 bytes: STG_E_READFAULT;
// - the null class identifier, or a class that is registered nowhere: REGDB_E_CLASSNOTREG
//   (the null identifier is never looked up);
// - the class cannot be created: CoCreateInstance's code;
// - the object has no IPersistStream, or not the interface `iid`: E_NOINTERFACE;
// - Load fails: Load's code.
HRESULT OleLoadFromStream(IStream* pStm, REFIID iidInterface, void** ppvObj);

}  // namespace kavoro
