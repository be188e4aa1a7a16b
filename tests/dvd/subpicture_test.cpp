// DVD pictures: subpicture units read from bytes (well-formed and damaged), the window ->
// picture mapping, and the whole DVD graph on the fixture disc: menu buttons and their
// highlight in the renderer's picture, subtitles on and off during title play.
#include <gtest/gtest.h>

#include <QImage>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <mutex>
#include <random>
#include <thread>

#include "platform/com/ClassRegistry.h"
#include "platform/media/BaseFilter.h"
#include "platform/media/BasePin.h"
#include "platform/media/Enumerators.h"
#include "platform/media/EventCodes.h"
#include "platform/media/IFilterGraph.h"
#include "platform/media/IMediaControl.h"
#include "platform/media/IMediaEvent.h"
#include "platform/media/IReferenceClock.h"
#include "platform/media/IVideoPresentation.h"
#include "platform/media/MediaClasses.h"
#include "platform/media/dvd/DvdPictureMap.h"
#include "platform/media/dvd/DvdPlayback.h"
#include "platform/media/dvd/IDvdControl2.h"
#include "platform/media/dvd/IDvdGraphBuilder.h"
#include "platform/media/dvd/IDvdInfo2.h"
#include "platform/media/dvd/SubpictureDecoder.h"
#include "platform/media/dvd/SubpictureUnit.h"
#include "dvd/DvdTestSupport.h"
#include "platform/os/sim/SimPlatform.h"
#include "support/WaitFor.h"

namespace kavoro::testing {
namespace {

using media::ReadSubpictureUnit;
using media::SubpictureUnit;

// ---------------------------------------------------------------------------------------------
// A unit writer for the tests: run-length codes of the DVD format for rows of pixel values.

class NibbleWriter {
 public:
  void Put(unsigned n) {
    if (half_)
      bytes_.back() |= static_cast<std::uint8_t>(n & 0xF);
    else
      bytes_.push_back(static_cast<std::uint8_t>((n & 0xF) << 4));
    half_ = !half_;
  }
  void Code(unsigned run, unsigned value) {
    const unsigned c = (run << 2) | value;
    const int nibbles = run < 4 ? 1 : run < 16 ? 2 : run < 64 ? 3 : 4;
    for (int i = nibbles - 1; i >= 0; --i) Put(c >> (4 * i));
  }
  void Align() { half_ = false; }
  std::vector<std::uint8_t> bytes_;
  bool half_ = false;
};

struct UnitSpec {
  LONG x = 10, y = 20, w = 8, h = 4;
  std::vector<std::vector<std::uint8_t>> rows;  // h rows of w values
  std::uint16_t colors = 0x3210, contrasts = 0xFFF0;
  bool forced = false;
  int startDelay = 0, stopDelay = -1;  // in 1024/90000 s; -1: no stop
};

std::vector<std::uint8_t> EncodeRows(const UnitSpec& s, int field) {
  NibbleWriter out;
  for (LONG y = field; y < s.h; y += 2) {
    const auto& row = s.rows[static_cast<std::size_t>(y)];
    LONG x = 0;
    while (x < s.w) {
      LONG run = 1;
      while (x + run < s.w && row[x + run] == row[x] && run < 255) ++run;
      // The last run of a row may use the short "to the end of the row" code.
      if (x + run == s.w && run >= 64) {
        for (int i = 0; i < 3; ++i) out.Put(0);
        out.Put(row[x]);
      } else {
        out.Code(static_cast<unsigned>(run), row[x]);
      }
      x += run;
    }
    out.Align();
  }
  return out.bytes_;
}

void Put16(std::vector<std::uint8_t>& b, std::size_t at, unsigned v) {
  b[at] = static_cast<std::uint8_t>(v >> 8);
  b[at + 1] = static_cast<std::uint8_t>(v);
}

std::vector<std::uint8_t> MakeUnit(const UnitSpec& s) {
  const auto top = EncodeRows(s, 0), bottom = EncodeRows(s, 1);
  std::vector<std::uint8_t> b(4);
  b.insert(b.end(), top.begin(), top.end());
  b.insert(b.end(), bottom.begin(), bottom.end());
  const std::size_t first = b.size();
  // Block 1: area, colours, start; block 2 (when there is a stop): stop.
  const LONG x2 = s.x + s.w - 1, y2 = s.y + s.h - 1;
  std::vector<std::uint8_t> block = {0,
                                     0,
                                     0,
                                     0,
                                     static_cast<std::uint8_t>(s.forced ? 0x00 : 0x01),
                                     0x03,
                                     static_cast<std::uint8_t>(s.colors >> 8),
                                     static_cast<std::uint8_t>(s.colors),
                                     0x04,
                                     static_cast<std::uint8_t>(s.contrasts >> 8),
                                     static_cast<std::uint8_t>(s.contrasts),
                                     0x05,
                                     static_cast<std::uint8_t>(s.x >> 4),
                                     static_cast<std::uint8_t>(((s.x & 0xF) << 4) | (x2 >> 8)),
                                     static_cast<std::uint8_t>(x2),
                                     static_cast<std::uint8_t>(s.y >> 4),
                                     static_cast<std::uint8_t>(((s.y & 0xF) << 4) | (y2 >> 8)),
                                     static_cast<std::uint8_t>(y2),
                                     0x06,
                                     0,
                                     4,
                                     0,
                                     static_cast<std::uint8_t>(4 + top.size()),
                                     0xFF};
  Put16(block, 0, static_cast<unsigned>(s.startDelay));
  const std::size_t second = first + block.size();
  Put16(block, 2, static_cast<unsigned>(s.stopDelay >= 0 ? second : first));
  b.insert(b.end(), block.begin(), block.end());
  if (s.stopDelay >= 0) {
    std::vector<std::uint8_t> stop = {0, 0, 0, 0, 0x02, 0xFF};
    Put16(stop, 0, static_cast<unsigned>(s.stopDelay));
    Put16(stop, 2, static_cast<unsigned>(second));
    b.insert(b.end(), stop.begin(), stop.end());
  }
  Put16(b, 0, static_cast<unsigned>(b.size()));
  Put16(b, 2, static_cast<unsigned>(first));
  return b;
}

// Rows with runs of every code length: 1 nibble (run < 4), 2, 3 and 4 (run >= 64).
UnitSpec WideSpec() {
  UnitSpec s;
  s.w = 100;
  s.h = 5;
  for (LONG y = 0; y < s.h; ++y) {
    std::vector<std::uint8_t> row;
    auto run = [&](int n, std::uint8_t v) { row.insert(row.end(), n, v); };
    run(2 + static_cast<int>(y), 1);
    run(10, 2);
    run(20, 3);
    run(s.w - static_cast<LONG>(row.size()), static_cast<std::uint8_t>(y & 3));
    s.rows.push_back(row);
  }
  return s;
}

TEST(SubpictureUnit, DecodesRunsOfEveryLengthAndTheDisplayCommands) {
  UnitSpec s = WideSpec();
  s.startDelay = 3;
  s.stopDelay = 250;
  const auto bytes = MakeUnit(s);
  std::optional<SubpictureUnit> u = ReadSubpictureUnit(bytes.data(), bytes.size(), 720, 576);
  ASSERT_TRUE(u);
  EXPECT_EQ(u->area, (RECT{10, 20, 110, 25}));
  for (LONG y = 0; y < s.h; ++y)
    for (LONG x = 0; x < s.w; ++x)
      ASSERT_EQ(u->pixels[static_cast<std::size_t>(y * s.w + x)], s.rows[y][x]) << x << "," << y;
  EXPECT_EQ(u->colors, (std::array<std::uint8_t, 4>{0, 1, 2, 3}));
  EXPECT_EQ(u->contrasts, (std::array<std::uint8_t, 4>{0, 15, 15, 15}));
  ASSERT_TRUE(u->start && u->stop);
  EXPECT_EQ(*u->start, 3LL * 1024 * 1000 / 9);
  EXPECT_EQ(*u->stop, 250LL * 1024 * 1000 / 9);
  EXPECT_FALSE(u->forced);

  s.forced = true;
  s.stopDelay = -1;
  const auto forced = MakeUnit(s);
  u = ReadSubpictureUnit(forced.data(), forced.size(), 720, 576);
  ASSERT_TRUE(u);
  EXPECT_TRUE(u->forced);
  EXPECT_FALSE(u->stop);
}

TEST(SubpictureUnit, DamagedUnitsAreRefused) {
  const auto good = MakeUnit(WideSpec());
  ASSERT_TRUE(ReadSubpictureUnit(good.data(), good.size(), 720, 576));
  const std::size_t first = (good[2] << 8) | good[3];
  struct Case {
    const char* what;
    std::function<void(std::vector<std::uint8_t>&)> damage;
  } cases[] = {
      {"cut short", [](auto& b) { b.resize(b.size() - 3); }},
      {"header only", [](auto& b) { b.resize(4); }},
      {"size larger than the data",
       [](auto& b) { Put16(b, 0, static_cast<unsigned>(b.size() + 1)); }},
      {"command block before the header ends", [](auto& b) { Put16(b, 2, 2); }},
      {"command block past the end", [](auto& b) { Put16(b, 2, static_cast<unsigned>(b.size())); }},
      {"unknown command", [&](auto& b) { b[first + 4] = 0x42; }},
      {"no end of commands", [](auto& b) { b.back() = 0x01; }},
      {"area beyond the picture",
       [&](auto& b) {
         b[first + 13] |= 0x0F;
         b[first + 14] = 0xFF;
       }},
      {"field offset into the commands",
       [&](auto& b) { Put16(b, first + 21, static_cast<unsigned>(first)); }},
      {"picture data runs out",
       [&](auto& b) { Put16(b, first + 21, static_cast<unsigned>(first - 1)); }},
  };
  for (const Case& c : cases) {
    auto bytes = good;
    c.damage(bytes);
    EXPECT_FALSE(ReadSubpictureUnit(bytes.data(), bytes.size(), 720, 576)) << c.what;
  }
  EXPECT_FALSE(ReadSubpictureUnit(nullptr, 0, 720, 576));
}

// Random damage to a good unit: every result is either refused or a consistent unit.
TEST(SubpictureUnit, RandomDamageNeverReadsOutside) {
  const auto good = MakeUnit(WideSpec());
  std::mt19937 rng(12345);
  for (int i = 0; i < 20000; ++i) {
    auto bytes = good;
    const int flips = 1 + static_cast<int>(rng() % 4);
    for (int f = 0; f < flips; ++f) bytes[rng() % bytes.size()] = static_cast<std::uint8_t>(rng());
    if (rng() % 4 == 0) bytes.resize(rng() % bytes.size());
    std::optional<SubpictureUnit> u = ReadSubpictureUnit(bytes.data(), bytes.size(), 720, 576);
    if (u && u->start) {
      ASSERT_EQ(u->pixels.size(), static_cast<std::size_t>(u->Width()) * u->Height());
      ASSERT_LE(u->area.right, 720);
      ASSERT_LE(u->area.bottom, 576);
    }
  }
}

TEST(SubpictureUnit, ComposesPaletteContrastAndTheButtonHighlight) {
  UnitSpec s;
  s.x = 0;
  s.y = 0;
  s.w = 6;
  s.h = 2;
  s.rows = {{1, 1, 1, 2, 2, 0}, {1, 1, 1, 2, 2, 0}};
  s.colors = 0x0021;     // value 1 -> index 2, value 2 -> index 0
  s.contrasts = 0x0F80;  // value 1 -> 8, value 2 -> 15, value 0 -> 0
  const auto bytes = MakeUnit(s);
  const auto u = ReadSubpictureUnit(bytes.data(), bytes.size(), 720, 576);
  ASSERT_TRUE(u);
  DvdPalette clut{};
  clut[0] = 0x00EB8080;  // white
  clut[2] = 0x00515AF0;  // blue-ish red? Y 0x51, Cr 0x5A, Cb 0xF0: blue
  clut[5] = 0x00D21092;  // yellow
  std::vector<std::uint32_t> pic(6 * 2, 0x12345678);
  media::ComposeSubpicture(*u, clut, std::nullopt, pic.data(), 6, 2);
  EXPECT_EQ(pic[0] >> 24, 8u * 17u);
  EXPECT_EQ(pic[0] & 0x00FFFFFF, media::ArgbFromYCrCb(clut[2]) & 0x00FFFFFF);
  EXPECT_EQ(pic[3], media::ArgbFromYCrCb(clut[0]));  // opaque white
  EXPECT_EQ(pic[5], 0u);                             // transparent
  EXPECT_EQ(media::ArgbFromYCrCb(0x00EB8080), 0xFFFFFFFFu);
  EXPECT_EQ(media::ArgbFromYCrCb(0x00108080), 0xFF000000u);

  // Button over columns 1..3 (both edges included): value 1 and 2 become index 5, opaque.
  media::ButtonHighlight hl;
  hl.area = {1, 0, 3, 1, 1};
  hl.colors = (0x0550u << 16) | 0x0FF0u;
  media::ComposeSubpicture(*u, clut, hl, pic.data(), 6, 2);
  for (LONG x = 0; x < 6; ++x) {
    const bool lit = x >= 1 && x <= 3;
    const std::uint32_t p = pic[static_cast<std::size_t>(6 + x)];
    if (lit)
      EXPECT_EQ(p, media::ArgbFromYCrCb(clut[5])) << x;
    else
      EXPECT_NE(p, media::ArgbFromYCrCb(clut[5])) << x;
  }
}

// ---------------------------------------------------------------------------------------------

TEST(DvdPictureMap, ZoomLetterBoxAndTheMappingBothWays) {
  media::PictureGeometry g;
  g.client = {0, 0, 400, 200};
  EXPECT_EQ(media::DvdPictureMap(g).Destination(), (RECT{66, 0, 333, 200}));
  g.digitalZoom = 50;
  EXPECT_EQ(media::DvdPictureMap(g).Source(), (RECT{180, 144, 540, 432}));

  struct Row {
    media::PictureFit fit;
    RECT client;
    int zoom;
    POINT window;
    std::optional<POINT> picture;
  } rows[] = {
      {media::PictureFit::Stretched, {0, 0, 720, 576}, 0, {360, 255}, POINT{360, 255}},
      {media::PictureFit::Stretched, {0, 0, 360, 288}, 0, {180, 127}, POINT{360, 254}},
      {media::PictureFit::LetterBox, {0, 0, 400, 200}, 0, {66, 0}, POINT{0, 0}},
      {media::PictureFit::LetterBox, {0, 0, 400, 200}, 0, {332, 199}, POINT{717, 573}},
      {media::PictureFit::LetterBox, {0, 0, 400, 200}, 0, {30, 100}, std::nullopt},  // bar
      {media::PictureFit::LetterBox, {0, 0, 768, 576}, 50, {0, 0}, POINT{180, 144}},
      {media::PictureFit::LetterBox, {0, 0, 768, 576}, 50, {384, 288}, POINT{360, 288}},
      {media::PictureFit::LetterBox, {0, 0, 720, 576}, 0, {0, 10}, std::nullopt},  // 540 high
      {media::PictureFit::Crop, {0, 0, 800, 450}, 0, {400, 225}, POINT{360, 288}},
      {media::PictureFit::Crop, {0, 0, 800, 450}, 0, {0, 0}, POINT{0, 72}},
      {media::PictureFit::Stretched, {0, 0, 720, 576}, 0, {-1, 10}, std::nullopt},
  };
  for (const Row& r : rows) {
    media::PictureGeometry geo;
    geo.fit = r.fit;
    geo.client = r.client;
    geo.digitalZoom = r.zoom;
    const std::optional<POINT> p = media::DvdPictureMap(geo).ToPicture(r.window);
    ASSERT_EQ(p.has_value(), r.picture.has_value()) << r.window.x << "," << r.window.y;
    if (p) {
      EXPECT_EQ(p->x, r.picture->x) << r.window.x << "," << r.window.y;
      EXPECT_EQ(p->y, r.picture->y) << r.window.x << "," << r.window.y;
    }
  }
  // A button's rectangle drawn in the window maps back onto the same button.
  media::PictureGeometry geo;
  geo.client = {0, 0, 640, 400};
  const media::DvdPictureMap map(geo);
  DvdHighlightInfo info;
  info.hasButtons = true;
  info.buttons = {{200, 220, 520, 290, 1}, {200, 320, 520, 390, 1}};
  const RECT w = map.ToWindow({200, 320, 521, 391});
  for (POINT at : {POINT{w.left, w.top}, POINT{w.right - 1, w.bottom - 1}}) {
    const auto p = map.ToPicture(at);
    ASSERT_TRUE(p);
    EXPECT_EQ(media::ButtonAtPoint(info, *p), 2u);
  }
  EXPECT_EQ(media::ButtonAtPoint(info, {520, 290}), 1u);  // both edges belong to the button
  EXPECT_EQ(media::ButtonAtPoint(info, {521, 290}), 0u);
  info.hasButtons = false;
  EXPECT_EQ(media::ButtonAtPoint(info, {300, 250}), 0u);
}

// ---------------------------------------------------------------------------------------------
// The decoder filter between a source of units and a sink that keeps what it is sent.

// Any subtype: the decoder takes the major type.
constexpr GUID kTestUnitSubtype =
    MakeGuid(0x4B56D5B2, 0x2C4E, 0x4F0A, 0x93, 0x61, 0x7A, 0x0E, 0x2D, 0x44, 0x19, 0x06);

class UnitSource final : public media::BaseFilter {
 public:
  UnitSource() : BaseFilter(GUID_NULL) { out_ = MakePin<Out>(*this); }
  // Sends `bytes` as one sample, stamped when `time` is given.
  HRESULT Send(const std::vector<std::uint8_t>& bytes, std::optional<REFERENCE_TIME> time) {
    ComPtr<IMediaSample> s;
    HRESULT hr = out_->GetDeliveryBuffer(s.Put());
    if (FAILED(hr)) return hr;
    BYTE* data = nullptr;
    s->GetPointer(&data);
    std::copy(bytes.begin(), bytes.end(), data);
    s->SetActualDataLength(static_cast<LONG>(bytes.size()));
    REFERENCE_TIME t = time.value_or(0);
    s->SetTime(time ? &t : nullptr, nullptr);
    return out_->Deliver(s.Get());
  }
  IPin* Output() { return out_; }
  // The side channel of the decoder the source is connected to.
  ComPtr<ISubpictureNavigation> Navigation() {
    ComPtr<ISubpictureNavigation> n;
    out_->Peer()->QueryInterface(IIDOf<ISubpictureNavigation>(), n.PutVoid());
    return n;
  }

 private:
  class Out final : public media::BaseOutputPin {
   public:
    explicit Out(BaseFilter& f) : BaseOutputPin(f, "Units") {}

   protected:
    HRESULT CheckMediaType(const AM_MEDIA_TYPE& t) override {
      return t.majortype == MEDIATYPE_Subpicture ? S_OK : S_FALSE;
    }
    HRESULT GetMediaType(int i, AM_MEDIA_TYPE* t) override {
      if (i) return S_FALSE;
      t->majortype = MEDIATYPE_Subpicture;
      t->subtype = kTestUnitSubtype;
      return S_OK;
    }
    HRESULT DecideBufferSize(ALLOCATOR_PROPERTIES* p) override {
      p->cBuffers = 2;
      p->cbBuffer = 4096;
      return S_OK;
    }
  };
  Out* out_;
};

// Keeps the number of visible pixels of each overlay picture it receives.
class PictureSink final : public media::BaseFilter {
 public:
  PictureSink() : BaseFilter(GUID_NULL) { in_ = MakePin<In>(*this); }
  IPin* Input() { return in_; }
  std::vector<int> Visible() {
    std::lock_guard g(lock_);
    return visible_;
  }

 private:
  class In final : public media::BaseInputPin {
   public:
    explicit In(PictureSink& s) : BaseInputPin(s, "In"), s_(s) {}

   protected:
    HRESULT CheckMediaType(const AM_MEDIA_TYPE& t) override {
      return t.subtype == MEDIASUBTYPE_ARGB32 ? S_OK : S_FALSE;
    }
    HRESULT OnReceive(IMediaSample* sample) override {
      BYTE* data = nullptr;
      sample->GetPointer(&data);
      const auto* p = reinterpret_cast<const std::uint32_t*>(data);
      int n = 0;
      for (LONG i = 0; i < sample->GetActualDataLength() / 4; ++i) n += (p[i] >> 24) ? 1 : 0;
      std::lock_guard g(s_.lock_);
      s_.visible_.push_back(n);
      return S_OK;
    }

   private:
    PictureSink& s_;
  };
  In* in_;
  std::mutex lock_;
  std::vector<int> visible_;  // guarded by lock_
};

class SubpictureDecoderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    media::RegisterDvdPlayback();
    clock = CreateInstance<IReferenceClock>(CLSID_SystemClock);
    ASSERT_TRUE(decoder && clock);
    ComPtr<IPin> in, out;
    ASSERT_EQ(decoder->FindPin("Subpicture Input", in.Put()), S_OK);
    ASSERT_EQ(decoder->FindPin("Overlay Output", out.Put()), S_OK);
    ASSERT_EQ(source->Output()->Connect(in.Get(), nullptr), S_OK);
    ASSERT_EQ(out->Connect(sink->Input(), nullptr), S_OK);
    REFERENCE_TIME now = 0;
    clock->GetTime(&now);
    for (IBaseFilter* f : Filters()) {
      f->SetSyncSource(clock.Get());
      ASSERT_TRUE(SUCCEEDED(f->Run(now)));
    }
  }
  void TearDown() override {
    for (IBaseFilter* f : Filters()) f->Stop();
    // Connected pins hold each other's filters: without a graph to take them apart, the test
    // does.
    for (IBaseFilter* f : Filters())
      for (auto& p : media::PinsOf(f)) p->Disconnect();
  }
  std::vector<IBaseFilter*> Filters() { return {sink.Get(), decoder.Get(), source.Get()}; }
  // The pictures the sink has, once `count` have come (or the wait ran out).
  std::vector<int> AfterPictures(std::size_t count) {
    WaitFor([&] { return sink->Visible().size() >= count; }, std::chrono::seconds(3));
    return sink->Visible();
  }

  ComPtr<UnitSource> source = MakeCom<UnitSource>();
  ComPtr<PictureSink> sink = MakeCom<PictureSink>();
  ComPtr<media::SubpictureDecoder> decoder = MakeCom<media::SubpictureDecoder>();
  ComPtr<IReferenceClock> clock;
};

TEST_F(SubpictureDecoderTest, AUnitSplitOverSamplesShowsAtItsTimeAndItsStopClearsIt) {
  UnitSpec s = WideSpec();
  s.startDelay = 40;  // about 0.45 s after the unit's time (0, the stream's start)
  s.stopDelay = 60;   // about 0.68 s
  const auto unit = MakeUnit(s);
  const std::size_t half = unit.size() / 2;
  ASSERT_EQ(source->Send({unit.begin(), unit.begin() + static_cast<std::ptrdiff_t>(half)}, 0),
            S_OK);
  ASSERT_EQ(
      source->Send({unit.begin() + static_cast<std::ptrdiff_t>(half), unit.end()}, std::nullopt),
      S_OK);
  std::this_thread::sleep_for(std::chrono::milliseconds(150));
  EXPECT_TRUE(sink->Visible().empty());  // not before its time
  const std::vector<int> shown = AfterPictures(2);
  ASSERT_EQ(shown.size(), 2u);
  // Pixel values 1, 2 and 3 are opaque (WideSpec's contrasts), value 0 transparent.
  int expected = 0;
  for (const auto& row : s.rows)
    for (std::uint8_t v : row) expected += v ? 1 : 0;
  EXPECT_EQ(shown[0], expected);
  EXPECT_EQ(shown[1], 0);
}

TEST_F(SubpictureDecoderTest, SwitchedOffOnlyForcedUnitsShowAndDamagedOnesAreDropped) {
  ASSERT_EQ(source->Navigation()->SetSubpictureShown(0), S_OK);
  UnitSpec s = WideSpec();
  auto damaged = MakeUnit(s);
  damaged[damaged.size() - 1] = 0x42;  // not a command
  ASSERT_EQ(source->Send(damaged, 0), S_OK);
  ASSERT_EQ(source->Send(MakeUnit(s), 0), S_OK);
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  EXPECT_TRUE(sink->Visible().empty());
  EXPECT_EQ(decoder->DamagedUnits(), 1);
  s.forced = true;
  ASSERT_EQ(source->Send(MakeUnit(s), 1), S_OK);
  const std::vector<int> shown = AfterPictures(1);
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_GT(shown[0], 0);
  // Switched on again, the forced unit stays; nothing else changes, so nothing new is sent.
  ASSERT_EQ(source->Navigation()->SetSubpictureShown(1), S_OK);
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  EXPECT_EQ(sink->Visible().size(), 1u);
  // Another stream: what showed goes at once.
  ASSERT_EQ(source->Navigation()->DropUnits(), S_OK);
  const std::vector<int> after = AfterPictures(2);
  ASSERT_EQ(after.size(), 2u);
  EXPECT_EQ(after[1], 0);
}

// Two navigation packets read ahead: the button is drawn by the packet of the time on screen.
TEST_F(SubpictureDecoderTest, TheHighlightFollowsThePacketOfThePictureOnScreen) {
  UnitSpec s = WideSpec();
  s.contrasts = 0;  // the unit alone shows nothing; only the lit button does
  auto packet = [](LONG right) {
    DvdHighlightInfo info;
    info.hasButtons = true;
    info.buttons = {{10, 20, right, 24, 1}};
    info.colors[0][DvdHighlightInfo::kSelection] = (0x3210u << 16) | 0xFFF0u;
    return info;
  };
  constexpr REFERENCE_TIME kSecond = 10000000;
  ComPtr<ISubpictureNavigation> nav = source->Navigation();
  ASSERT_EQ(nav->SetHighlight(0, kSecond / 2, packet(19)), S_OK);
  ASSERT_EQ(nav->SetHighlight(kSecond / 2, kSecond, packet(59)), S_OK);
  ASSERT_EQ(nav->SetSelectedButton(1, 0), S_OK);
  ASSERT_EQ(source->Send(MakeUnit(s), 0), S_OK);
  const std::vector<int> shown = AfterPictures(2);
  ASSERT_EQ(shown.size(), 2u);
  DvdHighlightInfo now;
  ASSERT_EQ(nav->GetShownButtons(&now), S_OK);  // what a button test uses: the lit packet
  ASSERT_EQ(now.buttons.size(), 1u);
  EXPECT_EQ(now.buttons[0].right, 59);
  // Columns 10..19 of every row are lit: values 1 and 2 there.
  EXPECT_EQ(shown[0], 10 * 5);
  // Then columns 10..59: the first 32 + y of row y are 1, 2 or 3, the rest y & 3.
  int wide = 0;
  for (LONG y = 0; y < s.h; ++y)
    for (LONG x = 0; x < 50; ++x) wide += s.rows[y][x] ? 1 : 0;
  EXPECT_EQ(shown[1], wide);
  // No button selected: nothing lit.
  ASSERT_EQ(nav->SetSelectedButton(0, 0), S_OK);
  const std::vector<int> unlit = AfterPictures(3);
  ASSERT_EQ(unlit.size(), 3u);
  EXPECT_EQ(unlit[2], 0);
}

// An activated button takes its action colours until the navigator tells the selection again.
TEST_F(SubpictureDecoderTest, AnActivatedButtonIsDrawnInItsActionColours) {
  UnitSpec s = WideSpec();
  s.contrasts = 0;
  DvdHighlightInfo info;
  info.hasButtons = true;
  info.buttons = {{10, 20, 19, 24, 1}};  // the unit lies at rows 20..24
  info.colors[0][DvdHighlightInfo::kSelection] = (0x3210u << 16) | 0xFFF0u;  // 1, 2, 3 opaque
  info.colors[0][DvdHighlightInfo::kAction] = (0x3210u << 16) | 0xFF00u;     // 2 and 3
  auto opaque = [&](std::uint8_t least) {
    int n = 0;
    for (const auto& row : s.rows)
      for (LONG x = 10; x <= 19; ++x) n += row[x - s.x] >= least ? 1 : 0;
    return n;
  };
  ComPtr<ISubpictureNavigation> nav = source->Navigation();
  constexpr REFERENCE_TIME kTenSeconds = 100000000;
  ASSERT_EQ(nav->SetHighlight(0, kTenSeconds, info), S_OK);
  ASSERT_EQ(nav->SetSelectedButton(1, 0), S_OK);
  ASSERT_EQ(source->Send(MakeUnit(s), 0), S_OK);
  ASSERT_EQ(AfterPictures(1).size(), 1u);
  ASSERT_EQ(nav->SetSelectedButton(1, 1), S_OK);
  ASSERT_EQ(AfterPictures(2).size(), 2u);
  ASSERT_EQ(nav->SetSelectedButton(1, 0), S_OK);
  const std::vector<int> shown = AfterPictures(3);
  ASSERT_EQ(shown.size(), 3u);
  EXPECT_EQ(shown[0], opaque(1));
  EXPECT_EQ(shown[1], opaque(2));
  EXPECT_LT(shown[1], shown[0]);
  EXPECT_EQ(shown[2], opaque(1));
}

// ---------------------------------------------------------------------------------------------
// The DVD graph on the fixture disc.

bool Whitish(std::uint32_t p) {
  return ((p >> 16) & 0xFF) > 215 && ((p >> 8) & 0xFF) > 215 && (p & 0xFF) > 215;
}

class DvdPictureTest : public DvdBuilderTest {
 protected:
  void SetUp() override {
    DvdBuilderTest::SetUp();
    if (HasFatalFailure()) return;
    AM_DVD_RENDERSTATUS status;
    status.iNumStreamsFailed = 99;
    ASSERT_EQ(builder->RenderDvdVideoVolume(Disc().string().c_str(), AM_DVD_HWDEC_PREFER, &status),
              S_OK);
    EXPECT_EQ(status.iNumStreams, 3);
    EXPECT_EQ(status.iNumStreamsFailed, 0);
    EXPECT_EQ(status.dwFailedStreamsFlag, 0u);
    EXPECT_FALSE(status.bDvdVolInvalid || status.bDvdVolUnknown);
    // The subpictures reach the default renderer's first overlay input through the decoder.
    EXPECT_EQ(ClassFeeding(CLSID_VideoMixingRenderer, "Input1"), CLSID_KavoroSubpictureDecoder);
    ASSERT_EQ(builder->GetDvdInterface(IIDOf<IDvdControl2>(), dvd.PutVoid()), S_OK);
    ASSERT_EQ(builder->GetDvdInterface(IIDOf<IDvdInfo2>(), info.PutVoid()), S_OK);
    ASSERT_EQ(builder->GetDvdInterface(IIDOf<IVideoPresentation>(), presentation.PutVoid()), S_OK);
  }
  // The class of the filter connected to pin `pin` of the graph's filter of class `clsid`.
  CLSID ClassFeeding(const CLSID& clsid, const char* pin) {
    ComPtr<IEnumFilters> filters;
    if (FAILED(graph->EnumFilters(filters.Put()))) return GUID_NULL;
    IBaseFilter* f = nullptr;
    while (filters->Next(1, &f, nullptr) == S_OK) {
      ComPtr<IBaseFilter> held = ComPtr<IBaseFilter>::Attach(f);
      CLSID c;
      ComPtr<IPin> in, from;
      PIN_INFO info;
      if (FAILED(f->GetClassID(&c)) || c != clsid || FAILED(f->FindPin(pin, in.Put())) ||
          FAILED(in->ConnectedTo(from.Put())) || FAILED(from->QueryPinInfo(&info)))
        continue;
      ComPtr<IBaseFilter> upstream = ComPtr<IBaseFilter>::Attach(info.pFilter);
      CLSID u = GUID_NULL;
      upstream->GetClassID(&u);
      return u;
    }
    return GUID_NULL;
  }
  bool WaitForEvent(LONG code, std::optional<LONG_PTR> p1, int timeoutMs = 15000) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (std::chrono::steady_clock::now() < deadline) {
      LONG c;
      LONG_PTR a, b;
      if (events->GetEvent(&c, &a, &b, 20) != S_OK) continue;
      events->FreeEventParams(c, a, b);
      if (c == code && (!p1 || *p1 == a)) return true;
    }
    return false;
  }
  // The picture on screen, with a picture point scaled to its size.
  bool Grab() {
    if (FAILED(presentation->GetPresentedImage(&image)) || image.width <= 0) return false;
    return true;
  }
  std::uint32_t At(LONG x, LONG y) const { return DiscPixel(image, x, y); }
  int LitPixels(int b) const { return testing::LitPixels(image, b); }
  // White pixels in the band where the subtitles are drawn.
  int SubtitlePixels() const {
    int n = 0;
    for (LONG y = 490; y < 545; y += 2)
      for (LONG x = 150; x < 570; x += 2) n += Whitish(At(x, y)) ? 1 : 0;
    return n;
  }
  // Writes the picture for a look when KAVORO_TEST_PICTURES names a folder.
  void Save(const char* name) const {
    const char* dir = std::getenv("KAVORO_TEST_PICTURES");
    if (!dir || image.pixels.empty()) return;
    QImage q(reinterpret_cast<const uchar*>(image.pixels.data()), image.width, image.height,
             image.width * 4, QImage::Format_ARGB32);
    q.save(QString::fromStdString((fs::path(dir) / name).string()));
  }

  ComPtr<IDvdControl2> dvd;
  ComPtr<IDvdInfo2> info;
  ComPtr<IVideoPresentation> presentation;
  PresentedImage image;
};

TEST_F(DvdPictureTest, MenuButtonsAndTheirHighlightFollowTheSelection) {
  ASSERT_TRUE(SUCCEEDED(control->Run()));
  ASSERT_TRUE(WaitForEvent(EC_DVD_STILL_ON, std::nullopt));
  // The title menu, a still: button 1 is selected and drawn with the selection colour.
  ASSERT_TRUE(WaitFor([&] { return Grab() && LitPixels(1) > 20; }, std::chrono::seconds(5)))
      << LitPixels(1);
  Save("title-menu.png");
  EXPECT_EQ(LitPixels(2), 0);
  EXPECT_EQ(LitPixels(3), 0);

  // The selection moves over the still picture: the highlight goes with it at once.
  ASSERT_EQ(dvd->SelectAtPosition({360, 455}), S_OK);
  ASSERT_TRUE(WaitFor([&] { return Grab() && LitPixels(3) > 20 && LitPixels(1) == 0; },
                      std::chrono::seconds(5)))
      << LitPixels(1) << " " << LitPixels(3);
  Save("title-menu-button3.png");
  EXPECT_EQ(LitPixels(2), 0);
  ASSERT_EQ(dvd->SelectRelativeButton(DVD_Relative_Upper), S_OK);
  ASSERT_TRUE(WaitFor([&] { return Grab() && LitPixels(2) > 20 && LitPixels(3) == 0; },
                      std::chrono::seconds(5)))
      << LitPixels(2) << " " << LitPixels(3);
  // Where the pointer is over the lit button, the window's mapping and the navigator agree.
  media::PictureGeometry geo;
  ComPtr<IBasicVideo2> video;
  ASSERT_EQ(builder->GetDvdInterface(IIDOf<IBasicVideo2>(), video.PutVoid()), S_OK);
  ASSERT_EQ(media::PictureGeometryOf(video.Get(), {0, 0, 640, 400}, media::PictureFit::LetterBox, 0,
                                     &geo),
            S_OK);
  EXPECT_EQ(geo.pictureWidth, 720);
  EXPECT_EQ(geo.pictureHeight, 576);
  const media::DvdPictureMap map(geo);
  const RECT lit =
      map.ToWindow({kButtonLeft, kButtonTops[1], kButtonRight + 1, kButtonTops[1] + 70});
  for (POINT at : {POINT{lit.left, lit.top}, POINT{lit.right - 1, lit.bottom - 1}}) {
    const auto p = map.ToPicture(at);
    ASSERT_TRUE(p);
    ULONG button = 0;
    EXPECT_EQ(info->GetButtonAtPosition(*p, &button), S_OK) << at.x << "," << at.y;
    EXPECT_EQ(button, 2u);
  }

  // The root menu plays in a loop: each pass brings its navigation packets again and the
  // highlight stays on the selected button.
  ASSERT_EQ(dvd->ActivateAtPosition({360, 455}), S_OK);
  ASSERT_TRUE(WaitForEvent(EC_DVD_DOMAIN_CHANGE, DVD_DOMAIN_VideoTitleSetMenu));
  ASSERT_TRUE(WaitFor([&] { return Grab() && LitPixels(1) > 20; }, std::chrono::seconds(5)));
  ASSERT_EQ(dvd->SelectAtPosition({360, 355}), S_OK);
  ASSERT_TRUE(WaitFor([&] { return Grab() && LitPixels(2) > 20 && LitPixels(1) == 0; },
                      std::chrono::seconds(5)));
  std::this_thread::sleep_for(std::chrono::milliseconds(3500));  // past the loop's end
  ASSERT_TRUE(Grab());
  Save("root-menu-button2.png");
  EXPECT_GT(LitPixels(2), 20);
  EXPECT_EQ(LitPixels(1) + LitPixels(3), 0);
}

TEST_F(DvdPictureTest, SubtitlesShowDuringTitlePlayOnlyWhenSwitchedOn) {
  ASSERT_TRUE(SUCCEEDED(control->Run()));
  ASSERT_TRUE(WaitForEvent(EC_DVD_STILL_ON, std::nullopt));
  ASSERT_EQ(dvd->SetSubpictureState(1, DVD_CMD_FLAG_None, nullptr), S_OK);
  ASSERT_EQ(dvd->ActivateAtPosition({360, 255}), S_OK);  // "Play movie"
  ASSERT_TRUE(WaitForEvent(EC_DVD_DOMAIN_CHANGE, DVD_DOMAIN_Title));
  // "EN: Chapter one" shows from 0.5 s to 3.5 s.
  int most = 0;
  WaitFor(
      [&] {
        if (Grab()) most = std::max(most, SubtitlePixels());
        return most > 150;
      },
      std::chrono::seconds(4));
  EXPECT_GT(most, 150);
  Save("title-subtitles-on.png");
  // Off: chapter two's subtitle (4.5 s to 7.5 s) does not show.
  ASSERT_EQ(dvd->SetSubpictureState(0, DVD_CMD_FLAG_None, nullptr), S_OK);
  ASSERT_TRUE(WaitForEvent(EC_DVD_CHAPTER_START, 2));
  int off = 0;
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(3000);
  while (std::chrono::steady_clock::now() < until) {
    if (Grab()) off = std::max(off, SubtitlePixels());
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  Save("title-subtitles-off.png");
  EXPECT_LT(off, 40);
}

}  // namespace
}  // namespace kavoro::testing
