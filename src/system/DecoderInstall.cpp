#include "system/DecoderInstall.h"

#include <cctype>
#include <filesystem>
#include <fstream>

#include "platform/os/Application.h"
#include "platform/os/Platform.h"
#include "platform/os/ResourceArchive.h"

namespace kavoro {
namespace {
namespace fs = std::filesystem;

constexpr char kNativeSeparator = '/';

std::string InSystemFolder(const std::string& systemFolder, const char* file) {
  return systemFolder + kNativeSeparator + file;
}

// Writes through a temporary file and a rename, so that a crash never leaves a half-written
// decoder for the registration program to load.
void WriteDecoderFile(const std::string& path, std::span<const std::uint8_t> bytes) {
  const std::string temp = path + ".part";
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    if (!out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size())) ||
        !out.flush()) {
      std::error_code ec;
      fs::remove(temp, ec);
      throw DecoderInstallError("Cannot create file \"" + path + "\".");
    }
  }
  std::error_code ec;
  fs::rename(temp, path, ec);
  if (ec) {
    fs::remove(temp, ec);
    throw DecoderInstallError("Cannot create file \"" + path + "\".");
  }
}

}  // namespace

std::string WithTrailingSeparator(const std::string& folder) {
  if (folder.empty()) return folder;
  const char last = folder.back();
  if (last == ':' || last == '\\' || last == kNativeSeparator) return folder;
  if (folder.size() == 1 && std::isalpha(static_cast<unsigned char>(last)))
    return folder + ":\\";
  if (folder.front() == kNativeSeparator) return folder + kNativeSeparator;
  return folder + "\\";
}

std::string RegistrationCommandLine(const std::string& path, bool unregister) {
  return unregister ? " /s /u \"" + path + "\"" : " /s \"" + path + "\"";
}

bool RegisterDecoder(const std::string& path) {
  auto& processes = os::Os().Processes();
  const std::string folder = WithTrailingSeparator(processes.SystemFolder());
  std::error_code ec;
  if (!fs::exists(path, ec)) return false;
  os::StartupInfo startup;
  startup.hidden = true;
  return processes.CreateProcess(folder + os::kRegistrationProgram,
                                 RegistrationCommandLine(path, false), startup);
}

void InstallDecoders() {
  // The library is released when this scope ends, also when a row throws.
  auto library = os::ResourceLibrary::Load(os::ApplicationFolder() + kResourceLibraryName);
  if (!library) return;
  const std::string systemFolder = os::Os().Processes().SystemFolder();
  for (const DecoderFile& row : kDecoderFiles) {
    const std::string path = InSystemFolder(systemFolder, row.fileName);
    std::error_code ec;
    if (fs::exists(path, ec) && !fs::remove(path, ec))
      throw DecoderInstallError("Cannot delete file \"" + path + "\".");
    auto data = library->FindResource(row.resourceName, kDecoderResourceType);
    if (!data) throw DecoderInstallError(std::string("Resource ") + row.resourceName + " not found");
    WriteDecoderFile(path, *data);
    RegisterDecoder(path);
  }
}

bool RemoveDecoders() {
  const std::string systemFolder = os::Os().Processes().SystemFolder();
  for (const DecoderFile& row : kDecoderFiles) {
    std::error_code ec;
    const std::string path = InSystemFolder(systemFolder, row.fileName);
    if (fs::exists(path, ec)) fs::remove(path, ec);
  }
  return true;
}

}  // namespace kavoro
