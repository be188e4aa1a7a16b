// A loadable module with one class, to prove registration and creation end to end. It uses
// nothing of the host but the object model's headers.
#include "platform/com/ComPtr.h"
#include "platform/com/Module.h"
#include "TestModuleApi.h"

namespace {
using namespace kavoro;
using namespace kavoro::testing;

class Greeter : public ComObject<ITestGreeter> {
 public:
  int Answer() override { return kTestAnswer; }
};

class GreeterFactory : public ComObject<IClassFactory> {
 public:
  HRESULT CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override {
    if (outer) return CLASS_E_NOAGGREGATION;
    auto g = MakeCom<Greeter>();
    return g->QueryInterface(riid, ppv);
  }
  HRESULT LockServer(BOOL) override { return S_OK; }
};

const ModuleMediaType kInputTypes[] = {{kTestMajorType, kTestSubtype}};
const ModulePin kPins[] = {
    {"In", 0, 0, kInputTypes, 1},
    {"Out", 1, 0, kInputTypes, 1},
};
const ModuleClass kClasses[] = {
    {CLSID_TestGreeter, "Test Greeter", kTestMerit, kTestFilterCategory, kPins, 2},
};
const ModuleRegistration kRegistration = {kModuleRegistrationVersion, kClasses, 1};

}  // namespace

extern "C" __attribute__((visibility("default"))) const ModuleRegistration* DllGetRegistration() {
  return &kRegistration;
}

extern "C" __attribute__((visibility("default"))) HRESULT DllGetClassObject(const GUID* clsid,
                                                                           const GUID* iid,
                                                                           void** ppv) {
  if (!clsid || !iid || !ppv) return E_POINTER;
  *ppv = nullptr;
  if (*clsid != CLSID_TestGreeter) return CLASS_E_CLASSNOTAVAILABLE;
  auto f = MakeCom<GreeterFactory>();
  return f->QueryInterface(*iid, ppv);
}
