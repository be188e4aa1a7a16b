#include "platform/os/DynamicLibrary.h"

#include <dlfcn.h>

namespace kavoro::os {

std::unique_ptr<DynamicLibrary> DynamicLibrary::Load(const std::string& path, std::string* error) {
  dlerror();
  void* h = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!h) {
    if (error) {
      const char* e = dlerror();
      *error = e ? e : "cannot load " + path;
    }
    return nullptr;
  }
  return std::unique_ptr<DynamicLibrary>(new DynamicLibrary(h));
}

DynamicLibrary::~DynamicLibrary() {
  if (handle_) dlclose(handle_);
}

void* DynamicLibrary::Symbol(const char* name) const { return dlsym(handle_, name); }

}  // namespace kavoro::os
