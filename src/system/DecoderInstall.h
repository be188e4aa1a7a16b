#pragma once
// The player's own decoder filters travel as resources in "KAVORO.dll" beside the program.
// At start they are written into the platform's system folder and registered; at exit the
// files are deleted again (their registrations stay). GUI thread only.
#include <stdexcept>
#include <string>

namespace kavoro {

constexpr const char* kResourceLibraryName = "KAVORO.dll";
constexpr const char* kDecoderResourceType = "RCs";

struct DecoderFile {
  const char* fileName;
  const char* resourceName;
};
// In processing order.
constexpr DecoderFile kDecoderFiles[] = {
    {"MPEGV.ax", "res_1"},
    {"MPEGA.ax", "res_2"},
    {"MPGAudio.ax", "res_3"},
};

// A decoder file that could not be written, or a resource missing from the library.
class DecoderInstallError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Writes and registers the three decoders. No library: nothing happens. A missing resource
// or a file that cannot be deleted or written throws DecoderInstallError at that row; rows
// already done stay installed.
void InstallDecoders();
// Deletes the decoder files that exist, ignoring failures; always true.
bool RemoveDecoders();
// Starts the registration program for `path` without waiting. True when it started.
bool RegisterDecoder(const std::string& path);
// The registration program's arguments for a module: " /s \"path\"" (" /s /u \"path\"" to
// unregister).
std::string RegistrationCommandLine(const std::string& path, bool unregister);
// The folder with a separator at its end: "" stays "", a text ending in ':' or a separator
// stays, a single letter gets ":\", a native folder gets '/', any other text '\'.
std::string WithTrailingSeparator(const std::string& folder);

}  // namespace kavoro
