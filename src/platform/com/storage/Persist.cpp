// Class identifiers in streams and the save and load of persistent objects.
#include "platform/com/ClassRegistry.h"
#include "platform/com/storage/Persist.h"
#include "platform/com/storage/StorageInternal.h"

namespace kavoro {

HRESULT WriteClassStm(IStream* pStm, REFCLSID clsid) {
  if (!pStm) return E_INVALIDARG;
  std::uint8_t bytes[16];
  storage_detail::ClassIdToBytes(clsid, bytes);
  ULONG written = 0;
  HRESULT hr = pStm->Write(bytes, sizeof bytes, &written);
  if (FAILED(hr)) return hr;
  return written == sizeof bytes ? S_OK : STG_E_MEDIUMFULL;
}

HRESULT ReadClassStm(IStream* pStm, CLSID* pclsid) {
  if (!pclsid) return E_INVALIDARG;
  *pclsid = GUID_NULL;
  if (!pStm) return E_INVALIDARG;
  std::uint8_t bytes[16];
  ULONG read = 0;
  HRESULT hr = pStm->Read(bytes, sizeof bytes, &read);
  if (FAILED(hr)) return hr;
  if (read != sizeof bytes) return STG_E_READFAULT;
  *pclsid = storage_detail::ClassIdFromBytes(bytes);
  return S_OK;
}

HRESULT OleSaveToStream(IPersistStream* pPStm, IStream* pStm) {
  if (!pStm) return E_INVALIDARG;
  if (!pPStm) return WriteClassStm(pStm, GUID_NULL);
  CLSID clsid;
  HRESULT hr = pPStm->GetClassID(&clsid);
  if (FAILED(hr)) return hr;
  hr = WriteClassStm(pStm, clsid);
  if (FAILED(hr)) return hr;
  return pPStm->Save(pStm, TRUE);
}

HRESULT OleLoadFromStream(IStream* pStm, REFIID iidInterface, void** ppvObj) {
  if (!ppvObj) return E_POINTER;
  *ppvObj = nullptr;
  if (!pStm) return E_INVALIDARG;
  CLSID clsid;
  HRESULT hr = ReadClassStm(pStm, &clsid);
  if (FAILED(hr)) return hr;
  if (clsid.IsNull()) return REGDB_E_CLASSNOTREG;

  ComPtr<IUnknown> object;
  hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IUnknown::kIID, object.PutVoid());
  if (FAILED(hr)) return hr;
  if (!object) return E_UNEXPECTED;  // a creator that claimed success without an object
  ComPtr<IPersistStream> persist;
  if (FAILED(object.As(&persist)) || !persist) return E_NOINTERFACE;
  hr = persist->Load(pStm);
  if (FAILED(hr)) return hr;
  void* result = nullptr;
  if (FAILED(object->QueryInterface(iidInterface, &result)) || !result) return E_NOINTERFACE;
  *ppvObj = result;
  return S_OK;
}

}  // namespace kavoro
