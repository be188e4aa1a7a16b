#pragma once
// The Line 21 decoders: caption byte pairs (MEDIATYPE_AUXLine21Data /
// MEDIASUBTYPE_Line21_BytePair, field 1, as the video decoder's caption output gives them) in,
// ARGB32 overlay pictures out. Each time the captions on screen change, the decoder draws
// them, light text on black boxes in the caption grid's safe area, into a picture stamped with
// the start time of the byte pairs that changed them; a picture with nothing on it erases the
// captions. Two classes share it: CLSID_Line21Decoder (for the overlay mixer) and
// CLSID_Line21Decoder2 (for the mixing renderer, the one graph building picks).
// Text is drawn with Qt's painter on an image, which needs a GUI application; without one the
// input refuses every type.
#include <QImage>

#include "platform/media/Cea608Decoder.h"
#include "platform/media/TransformFilter.h"

namespace kavoro::media {

// The picture drawn on when the input type gives no picture size, and the smallest one drawn
// on at all (captions on a small picture are drawn at this size and scaled down).
constexpr LONG kCaptionPictureWidth = 640;
constexpr LONG kCaptionPictureHeight = 480;

// Draws the captions into `image` (ARGB32, cleared first). Any thread.
void PaintCaptions(const CaptionScreen& screen, QImage* image);

class Line21Decoder final : public TransformFilter {
 public:
  explicit Line21Decoder(const CLSID& clsid);

 protected:
  HRESULT CheckInputType(const AM_MEDIA_TYPE& type) override;
  HRESULT GetOutputType(int index, AM_MEDIA_TYPE* type) override;
  HRESULT CheckOutputType(const AM_MEDIA_TYPE& in, const AM_MEDIA_TYPE& out) override;
  HRESULT DecideBufferSize(const AM_MEDIA_TYPE& out, ALLOCATOR_PROPERTIES* props) override;
  HRESULT OnInputConnected(const AM_MEDIA_TYPE& type) override;
  HRESULT Process(IMediaSample* in) override;
  void Discard() override;

 private:
  HRESULT DeliverCaptions(const REFERENCE_TIME* start);

  // application thread, while stopped
  LONG width_ = kCaptionPictureWidth, height_ = kCaptionPictureHeight;
  // streaming thread
  Cea608Decoder decoder_;
  QImage image_;
  bool shown_ = false;  // a picture with captions went out since the last erase
};

}  // namespace kavoro::media
