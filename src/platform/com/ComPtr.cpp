#include "platform/com/ComPtr.h"

namespace kavoro {

bool IsSameObject(IUnknown* a, IUnknown* b) {
  if (a == b) return true;
  if (!a || !b) return false;
  ComPtr<IUnknown> ia, ib;
  a->QueryInterface(IUnknown::kIID, ia.PutVoid());
  b->QueryInterface(IUnknown::kIID, ib.PutVoid());
  return ia && ia == ib;
}

}  // namespace kavoro
