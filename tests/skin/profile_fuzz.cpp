// libFuzzer target: any bytes as an initialisation file, every section and key it lists read
// back, and the same bytes as a number.
#include "platform/os/ProfileReader.h"

#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>

namespace {

// One scratch file for the whole run, removed at its end.
struct TScratchFile {
  TScratchFile() {
    char name[] = "/tmp/kavoro-profile-fuzz-XXXXXX";
    const int fd = mkstemp(name);
    if (fd < 0) std::abort();
    close(fd);
    Path = name;
  }
  ~TScratchFile() { unlink(Path.c_str()); }
  std::string Path;
};

const std::string& FilePath() {
  static const TScratchFile file;
  return file.Path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kavoro::os;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  std::int32_t number = 0;
  TextToInteger(bytes, &number);

  std::ofstream(FilePath(), std::ios::binary | std::ios::trunc) << bytes;
  const TProfileFile file(FilePath());
  if (!file.IsOpen()) std::abort();
  for (const std::string& section : file.SectionNames()) {
    if (!file.SectionExists(section)) std::abort();
    for (const std::string& key : file.KeyNames(section)) {
      // Every key listed is found, and no value is longer than a read returns.
      if (!file.ValueExists(section, key)) std::abort();
      if (file.ReadString(section, key, "").size() > kProfileMaxValueLength) std::abort();
      file.ReadInteger(section, key, 0);
    }
  }
  return 0;
}
