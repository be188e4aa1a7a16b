// Synthesizes the player's two short sounds and writes them as WAV files.
//
//   kavoro-sound-maker PROGRAM_FOLDER
//
// ShowM.wav greets the windows as they slide in (and a skin switch); ShowF.wav marks a dialog
// opening. Both are soft two-note chimes rising by a fifth, the dialog's one higher, shorter
// and quicker.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "Chime.h"
#include "WavWriter.h"

namespace {

using kavoro::soundmaker::TChime;

constexpr std::uint32_t kSampleRate = 44100;
// About -10 dB below full scale: clearly heard, never loud.
constexpr double kPeakLevel = 0.3;

// C5 then G5.
const TChime kShowMain{{{523.25, 0.0, 0.16, 1.0}, {783.99, 0.11, 0.16, 0.8}}, 0.70};
// G5 then D6.
const TChime kShowForm{{{783.99, 0.0, 0.09, 1.0}, {1174.66, 0.07, 0.09, 0.7}}, 0.40};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: kavoro-sound-maker PROGRAM_FOLDER\n");
    return 2;
  }
  const std::filesystem::path folder = argv[1];
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  if (ec) {
    std::fprintf(stderr, "kavoro-sound-maker: cannot create %s: %s\n", argv[1],
                 ec.message().c_str());
    return 1;
  }
  using kavoro::soundmaker::RenderChime;
  using kavoro::soundmaker::WriteWav;
  if (!WriteWav((folder / "ShowM.wav").string(), RenderChime(kShowMain, kSampleRate, kPeakLevel),
                kSampleRate) ||
      !WriteWav((folder / "ShowF.wav").string(), RenderChime(kShowForm, kSampleRate, kPeakLevel),
                kSampleRate))
    return 1;
  return 0;
}
