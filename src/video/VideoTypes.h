#pragma once
// Types shared by the video presentation: the aspect-ratio modes, the no-colour value, the
// error a validating property setter raises, and the event types of the video control.
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>

namespace kavoro::video {

// How the picture is fitted into the video control. The ordinals are the mixer pin's
// aspect-ratio modes (stretched, letter box, crop) and are passed to it unchanged.
enum class TRatioModes : int { rmStretched = 0, rmLetterBox = 1, rmCrop = 2 };
using enum TRatioModes;

// A colour: red in the low byte, then green, then blue.
using TColor = std::uint32_t;
// The class library's "no colour" value: the colour key before the overlay reports one.
constexpr TColor clNone = 0x1FFFFFFF;
constexpr TColor clBlack = 0x000000;

// Raised by a property setter that refuses a value; the property keeps its old value.
class ERangeError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// `text` with its "%d" replaced by `value`. Any thread.
std::string FormatValueMessage(const char* text, int value);
// Throws ERangeError with FormatValueMessage(text, value) unless low <= value <= high.
void CheckRange(int value, int low, int high, const char* text);

// Raised with true when the keyed picture is shown in the control, false when it is taken away.
using TOverlayVisibleEvent = std::function<void(bool Visible)>;
// Events that carry only their sender (the control, or the overlay callback object).
using TVideoNotifyEvent = std::function<void(void* Sender)>;

}  // namespace kavoro::video
