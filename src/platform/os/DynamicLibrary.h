#pragma once
// A loaded shared object; unloads on destruction. Any thread.
#include <memory>
#include <string>

namespace kavoro::os {

class DynamicLibrary {
 public:
  // Null when the file cannot be loaded; *error (when given) then says why.
  static std::unique_ptr<DynamicLibrary> Load(const std::string& path, std::string* error = nullptr);
  ~DynamicLibrary();
  DynamicLibrary(const DynamicLibrary&) = delete;
  DynamicLibrary& operator=(const DynamicLibrary&) = delete;

  // Null when the library does not export `name`.
  void* Symbol(const char* name) const;
  template <class Fn>
  Fn Function(const char* name) const {
    return reinterpret_cast<Fn>(Symbol(name));
  }

 private:
  explicit DynamicLibrary(void* handle) : handle_(handle) {}
  void* handle_;
};

}  // namespace kavoro::os
