// Usage: RegSvr32.exe [/s] [/u] module
// Loads the module, reads the classes it declares and records them in the registry store
// (or erases them with /u). /s keeps it quiet; otherwise the outcome is printed.
// Exit status 0 on success, 3 when the module cannot be loaded, 4 when it declares nothing
// usable, 5 when the store cannot be written.
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/com/FilterRegistration.h"
#include "platform/com/Module.h"
#include "platform/os/DynamicLibrary.h"

namespace {

constexpr int kOk = 0;
constexpr int kUsage = 1;
constexpr int kLoadFailed = 3;
constexpr int kNoEntry = 4;
constexpr int kStoreFailed = 5;

int Fail(bool silent, int code, const std::string& text) {
  if (!silent) std::fprintf(stderr, "RegSvr32: %s\n", text.c_str());
  return code;
}

bool IsSwitch(const std::string& a, char letter) {
  return a.size() == 2 && (a[0] == '/' || a[0] == '-') && (a[1] == letter || a[1] == letter - 32);
}

}  // namespace

int main(int argc, char** argv) {
  bool silent = false, unregister = false;
  std::string module;
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    if (IsSwitch(a, 's')) silent = true;
    else if (IsSwitch(a, 'u')) unregister = true;
    else if (module.empty()) module = a;
    else return Fail(silent, kUsage, "only one module may be named");
  }
  if (module.empty()) return Fail(silent, kUsage, "usage: RegSvr32.exe [/s] [/u] module");

  std::error_code ec;
  const std::string path = std::filesystem::absolute(module, ec).string();
  std::string error;
  auto library = kavoro::os::DynamicLibrary::Load(path, &error);
  if (!library) return Fail(silent, kLoadFailed, "cannot load " + path + ": " + error);
  auto getRegistration =
      library->Function<kavoro::ModuleGetRegistrationFn>(kavoro::kModuleGetRegistration);
  if (!getRegistration) return Fail(silent, kNoEntry, path + " has no registration entry");
  const kavoro::ModuleRegistration* reg = getRegistration();
  if (!reg || reg->version != kavoro::kModuleRegistrationVersion || reg->classCount < 0 ||
      (reg->classCount > 0 && !reg->classes))
    return Fail(silent, kNoEntry, path + " declares no classes this program understands");

  const bool ok = unregister ? kavoro::EraseModuleClasses(*reg)
                             : kavoro::RecordModuleClasses(*reg, path);
  if (!ok) return Fail(silent, kStoreFailed, "cannot write the registry store");
  if (!silent)
    std::printf("%s %d class(es) of %s\n", unregister ? "Unregistered" : "Registered",
                reg->classCount, path.c_str());
  return kOk;
}
