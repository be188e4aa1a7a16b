#pragma once
// Shared set-up of the media tests: fixtures made with ffmpeg on first use, a fresh graph,
// and waits on the graph's events that give up after a bound instead of hanging.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/com/ClassRegistry.h"
#include "platform/media/EventCodes.h"
#include "platform/media/IFilterGraph.h"
#include "platform/media/IMediaControl.h"
#include "platform/media/IMediaEvent.h"
#include "platform/media/IMediaSeeking.h"
#include "platform/media/MediaClasses.h"
#include "platform/media/MediaErrors.h"

namespace kavoro::testing {

// Known fixtures, made on first use:
//   "colors.mpg"  MPEG-2 video 64x48 at 25 fps, 3 s: red, then green, then blue, one second
//                 each; MPEG audio, stereo 440 Hz tone.
//   "split.avi"   MPEG-4 video 64x48, 1 s: left half red, right half blue; no sound.
//   "ac3.vob"     MPEG-2 video 64x48, 1 s of red, with AC-3 stereo sound.
//   "bframes.mpg" MPEG-2 video 64x48 at 25 fps, 2 s, with B-frames; no sound. The I- and
//                 P-pictures after B-frames have no presentation time in the file.
//   "colourspace.mpg" MPEG-2 video 64x48, 1 s of red, with a BT.709 colour description.
//   "tone.wav"    PCM 48 kHz stereo, 1 s of a 440 Hz tone, the same on both channels.
//   "unknown.avi" 1 s of video whose codec nobody knows, and a PCM tone.
//   "format.EXT"  1 s of red picture and a tone in the container of EXT: vob, avi, mpg, dat
//                 (plain MPEG), wmv, asf, mov; sound only for mp3 and wav.
//   "tune.mid"    a MIDI file: one piano note held for 1 s.
//   "undecodable.mkv" MPEG-4 video 64x48 at 25 fps and MP2 sound, 3 s, every byte of every
//                 packet overwritten: nothing decodes, the headers are intact.
//   "novideo.mkv" the same with the sound intact: only the video never decodes.
//   "cdxa.dat"    format.dat wrapped as a Video CD keeps it: RIFF/CDXA around mode-2 sectors.
std::string Fixture(const std::string& name);
// Writes `bytes` into the fixture folder and returns the path.
std::string WriteFile(const std::string& name, const std::string& bytes);
std::string ReadFile(const std::string& path);

struct Graph {
  ComPtr<IFilterGraph2> builder;
  ComPtr<IMediaControl> control;
  ComPtr<IMediaEventEx> events;
  ComPtr<IMediaSeeking> seeking;
};
Graph MakeGraph();

// Filters of the graph in its order, and those of one class.
std::vector<ComPtr<IBaseFilter>> FiltersOf(IFilterGraph* graph);
std::vector<ComPtr<IBaseFilter>> FiltersOfClass(IFilterGraph* graph, const CLSID& clsid);
// Removes every filter.
void ClearGraph(IFilterGraph* graph);

// The pin of `f` with id `id`, or null.
ComPtr<IPin> PinNamed(IBaseFilter* f, const std::string& id);
// The first input pin of `f` that is not connected, or null.
ComPtr<IPin> FirstFreeInput(IBaseFilter* f);
// Puts `mixer` (an overlay mixer already in the graph) in front of `renderer`, as the video
// window does: what fed the renderer's first pin goes to the mixer's video input, and the
// mixer's output to the renderer.
void PutMixerInFront(const Graph& g, IBaseFilter* mixer, IBaseFilter* renderer);

// Takes events until `code` comes (true) or an abort event or the timeout (false). The codes
// seen are appended to `seen` when given.
bool WaitForEvent(IMediaEvent* events, LONG code, int timeoutMs, std::vector<LONG>* seen = nullptr);
// Pauses and waits for the preroll.
void PauseAndWait(const Graph& g);

constexpr REFERENCE_TIME kSecond = kUnitsPerSecond;

}  // namespace kavoro::testing
