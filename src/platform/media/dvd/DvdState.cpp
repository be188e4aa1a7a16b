#include "platform/media/dvd/DvdState.h"

#include <array>
#include <cstring>
#include <mutex>

#include "platform/com/ClassRegistry.h"
#include "platform/com/storage/Persist.h"
#include "platform/media/MediaErrors.h"

namespace kavoro::media {
namespace {

constexpr char kMagic[4] = {'K', 'D', 'V', 'S'};
constexpr std::uint16_t kVersion = 2;
constexpr std::uint16_t kFirstVersion = 1;  // no title set
constexpr std::size_t kHeaderBytes = 8;
constexpr std::size_t kBodyBytes = 36;  // every version
constexpr std::size_t kTitleSetAt = 33;
constexpr std::size_t kSavedBytes = kHeaderBytes + kBodyBytes;
constexpr std::size_t kChecksumAt = kSavedBytes - 4;
constexpr std::uint8_t kFlagSpuOn = 0x1;
// The largest title and chapter numbers a disc can have; time up to what an HMSF time holds.
constexpr ULONG kMaxTitle = 99;
constexpr ULONG kMaxChapter = 999;
constexpr std::int64_t kMaxTime90k = 256LL * 3600 * 90000;
// The navigator has no parental levels; the platform's value for "none set".
constexpr ULONG kNoParentalLevel = 0xFFFFFFFF;

using Saved = std::array<std::uint8_t, kSavedBytes>;

std::uint32_t Fnv1a(const std::uint8_t* data, std::size_t n) {
  std::uint32_t h = 2166136261u;
  for (std::size_t i = 0; i < n; ++i) {
    h ^= data[i];
    h *= 16777619u;
  }
  return h;
}

void Put(std::uint8_t* at, std::uint64_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) at[i] = static_cast<std::uint8_t>(v >> (8 * i));
}
std::uint64_t Get(const std::uint8_t* at, int bytes) {
  std::uint64_t v = 0;
  for (int i = 0; i < bytes; ++i) v |= static_cast<std::uint64_t>(at[i]) << (8 * i);
  return v;
}

Saved Encode(const DvdPlace& p) {
  Saved s{};
  std::memcpy(s.data(), kMagic, sizeof kMagic);
  // A title set's menu read from a first-version form has no title set; the current form
  // requires one there, so such a place keeps the first form and reads back as it was.
  const bool titleSetUnknown = p.domain == DVD_DOMAIN_VideoTitleSetMenu && p.titleSet == 0;
  Put(&s[4], titleSetUnknown ? kFirstVersion : kVersion, 2);
  Put(&s[6], kBodyBytes, 2);
  Put(&s[8], p.discId, 8);
  s[16] = static_cast<std::uint8_t>(p.domain);
  s[17] = static_cast<std::uint8_t>(p.audio);
  s[18] = static_cast<std::uint8_t>(p.spu);
  s[19] = p.spuOn ? kFlagSpuOn : 0;
  Put(&s[20], p.title, 2);
  Put(&s[22], p.chapter, 2);
  Put(&s[24], static_cast<std::uint64_t>(p.time90k), 8);
  s[32] = static_cast<std::uint8_t>(p.angle);
  s[kTitleSetAt] = static_cast<std::uint8_t>(p.titleSet);
  Put(&s[kChecksumAt], Fnv1a(s.data(), kChecksumAt), 4);
  return s;
}

// The place in a saved form whose header was checked; VFW_E_DVD_STATE_CORRUPT for anything
// out of place.
HRESULT Decode(const Saved& s, std::uint16_t version, DvdPlace* out) {
  if (Get(&s[kChecksumAt], 4) != Fnv1a(s.data(), kChecksumAt)) return VFW_E_DVD_STATE_CORRUPT;
  const std::size_t zerosFrom = version == kFirstVersion ? kTitleSetAt : kTitleSetAt + 1;
  for (std::size_t i = zerosFrom; i < kChecksumAt; ++i)
    if (s[i] != 0) return VFW_E_DVD_STATE_CORRUPT;
  if (s[19] & ~kFlagSpuOn) return VFW_E_DVD_STATE_CORRUPT;
  DvdPlace p;
  p.discId = Get(&s[8], 8);
  const int domain = s[16];
  p.audio = s[17];
  p.spu = s[18];
  p.spuOn = (s[19] & kFlagSpuOn) != 0;
  p.title = static_cast<ULONG>(Get(&s[20], 2));
  p.chapter = static_cast<ULONG>(Get(&s[22], 2));
  const std::uint64_t time = Get(&s[24], 8);
  p.angle = s[32];
  p.titleSet = version == kFirstVersion ? 0 : s[kTitleSetAt];
  if (domain < DVD_DOMAIN_VideoManagerMenu || domain > DVD_DOMAIN_Title) return VFW_E_DVD_STATE_CORRUPT;
  p.domain = static_cast<DVD_DOMAIN>(domain);
  const bool inTitle = p.domain == DVD_DOMAIN_Title;
  if (p.audio >= kDvdAudioStreams || p.spu >= kDvdSubpictureStreams) return VFW_E_DVD_STATE_CORRUPT;
  if (p.angle < 1 || p.angle > kDvdAngles) return VFW_E_DVD_STATE_CORRUPT;
  // The video manager's menus belong to no title set; a title set's menu names its own.
  if (p.titleSet > kDvdTitleSets ||
      (p.domain == DVD_DOMAIN_VideoManagerMenu && p.titleSet != 0) ||
      (version != kFirstVersion && p.domain == DVD_DOMAIN_VideoTitleSetMenu && p.titleSet == 0))
    return VFW_E_DVD_STATE_CORRUPT;
  if (p.title > kMaxTitle || p.chapter > kMaxChapter || (inTitle && (p.title < 1 || p.chapter < 1)))
    return VFW_E_DVD_STATE_CORRUPT;
  if (time >= static_cast<std::uint64_t>(kMaxTime90k)) return VFW_E_DVD_STATE_CORRUPT;
  p.time90k = static_cast<std::int64_t>(time);
  *out = p;
  return S_OK;
}

HRESULT ReadExactly(IStream* stm, void* to, ULONG n) {
  ULONG got = 0;
  const HRESULT hr = stm->Read(to, n, &got);
  if (FAILED(hr)) return hr;
  return got == n ? S_OK : STG_E_READFAULT;
}

// Any thread, one at a time (as streams are); the place itself is guarded by lock_ so that the
// navigator may read it while the application saves it.
class DvdState final : public ComObject<IDvdState, IPersistStream, IDvdSavedPlace> {
 public:
  explicit DvdState(const DvdPlace& place = {}) : place_(place) {}

  HRESULT GetDiscID(std::uint64_t* discId) override {
    if (!discId) return E_POINTER;
    std::lock_guard g(lock_);
    *discId = place_.discId;
    return S_OK;
  }
  HRESULT GetParentalLevel(ULONG* level) override {
    if (!level) return E_POINTER;
    *level = kNoParentalLevel;
    return S_OK;
  }
  HRESULT GetPlace(DvdPlace* place) override {
    if (!place) return E_POINTER;
    std::lock_guard g(lock_);
    *place = place_;
    return S_OK;
  }

  HRESULT GetClassID(CLSID* id) override {
    if (!id) return E_POINTER;
    *id = CLSID_KavoroDvdState;
    return S_OK;
  }
  HRESULT IsDirty() override {
    std::lock_guard g(lock_);
    return dirty_ ? S_OK : S_FALSE;
  }
  HRESULT Load(IStream* stm) override {
    if (!stm) return E_POINTER;
    Saved s{};
    if (HRESULT hr = ReadExactly(stm, s.data(), kHeaderBytes); FAILED(hr)) return hr;
    if (std::memcmp(s.data(), kMagic, sizeof kMagic) != 0) return VFW_E_DVD_STATE_CORRUPT;
    const auto version = static_cast<std::uint16_t>(Get(&s[4], 2));
    if (version != kVersion && version != kFirstVersion) return VFW_E_DVD_STATE_WRONG_VERSION;
    if (Get(&s[6], 2) != kBodyBytes) return VFW_E_DVD_STATE_CORRUPT;
    if (HRESULT hr = ReadExactly(stm, &s[kHeaderBytes], kBodyBytes); FAILED(hr)) return hr;
    DvdPlace p;
    if (HRESULT hr = Decode(s, version, &p); FAILED(hr)) return hr;
    std::lock_guard g(lock_);
    place_ = p;
    dirty_ = false;
    return S_OK;
  }
  HRESULT Save(IStream* stm, BOOL clearDirty) override {
    if (!stm) return E_POINTER;
    Saved s;
    {
      std::lock_guard g(lock_);
      s = Encode(place_);
    }
    ULONG written = 0;
    if (HRESULT hr = stm->Write(s.data(), static_cast<ULONG>(s.size()), &written); FAILED(hr))
      return hr;
    if (written != s.size()) return STG_E_MEDIUMFULL;
    if (clearDirty) {
      std::lock_guard g(lock_);
      dirty_ = false;
    }
    return S_OK;
  }
  HRESULT GetSizeMax(ULARGE_INTEGER* size) override {
    if (!size) return E_POINTER;
    *size = kSavedBytes;
    return S_OK;
  }

 private:
  std::mutex lock_;
  DvdPlace place_;    // guarded by lock_
  bool dirty_ = true; // guarded by lock_
};

}  // namespace

ComPtr<IDvdState> MakeDvdState(const DvdPlace& place) {
  ComPtr<DvdState> s = MakeCom<DvdState>(place);
  return s.As<IDvdState>();
}

void RegisterDvdState() {
  static std::once_flag once;
  std::call_once(once, [] {
    ClassRegistry::Instance().RegisterClass(CLSID_KavoroDvdState, "DVD State",
                                            [](REFIID riid, void** ppv) {
                                              ComPtr<DvdState> s = MakeCom<DvdState>();
                                              return s->QueryInterface(riid, ppv);
                                            });
  });
}

}  // namespace kavoro::media
