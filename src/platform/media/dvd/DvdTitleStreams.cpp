#include "platform/media/dvd/DvdTitleStreams.h"

extern "C" {
#include <dvdread/dvd_reader.h>
#include <dvdread/ifo_read.h>
#include <dvdread/ifo_types.h>
}

namespace kavoro::media {
namespace {

// Field values of the title set's attributes and the control tables.
constexpr unsigned kWideDisplayCode = 3;      // video attributes: display aspect 16:9
constexpr unsigned kLetterBoxOnly = 2;        // permitted display formats: no pan-scan
constexpr unsigned kNoPanScanNorLetterBox = 3;
constexpr unsigned kLanguageGiven = 1;        // lang_type / type: the language code is set
constexpr std::uint16_t kAudioAvailable = 0x8000;
constexpr int kAudioNumberShift = 8;
constexpr int kAudioNumberMask = 0x7;
constexpr std::uint32_t kSpuAvailable = 0x80000000u;
constexpr int kSpuNumberMask = 0x1F;
constexpr int kSpuNormalShift = 24, kSpuWideShift = 16, kSpuLetterBoxShift = 8,
              kSpuPanScanShift = 0;
constexpr std::size_t kMaxAudio = 8, kMaxSpu = 32;

DvdAudioCoding CodingOf(unsigned format) {
  switch (format) {
    case 0: return DvdAudioCoding::Ac3;
    case 2:
    case 3: return DvdAudioCoding::Mpeg;
    case 4: return DvdAudioCoding::Lpcm;
    case 6: return DvdAudioCoding::Dts;
    default: return DvdAudioCoding::Other;
  }
}

// RAII for libdvdread's table handles.
struct Ifo {
  Ifo(dvd_reader_t* dvd, int n) : h(ifoOpen(dvd, n)) {}
  ~Ifo() {
    if (h) ifoClose(h);
  }
  Ifo(const Ifo&) = delete;
  Ifo& operator=(const Ifo&) = delete;
  ifo_handle_t* h;
};

DvdTitleStreams StreamsOf(const ifo_handle_t& vts, int ttn) {
  DvdTitleStreams t;
  const vtsi_mat_t* mat = vts.vtsi_mat;
  if (!mat || !vts.vts_ptt_srpt || !vts.vts_pgcit || ttn < 1 || ttn > vts.vts_ptt_srpt->nr_of_srpts)
    return t;
  const ttu_t& title = vts.vts_ptt_srpt->title[ttn - 1];
  if (title.nr_of_ptts < 1) return t;
  const int pgcn = title.ptt[0].pgcn;
  if (pgcn < 1 || pgcn > vts.vts_pgcit->nr_of_pgci_srp) return t;
  const pgc_t* pgc = vts.vts_pgcit->pgci_srp[pgcn - 1].pgc;
  if (!pgc) return t;
  t.wide = mat->vts_video_attr.display_aspect_ratio == kWideDisplayCode;
  t.panScanAllowed = mat->vts_video_attr.permitted_df != kLetterBoxOnly &&
                     mat->vts_video_attr.permitted_df != kNoPanScanNorLetterBox;
  for (std::size_t i = 0; i < mat->nr_of_vts_audio_streams && i < kMaxAudio; ++i) {
    const audio_attr_t& a = mat->vts_audio_attr[i];
    DvdAudioStream s;
    s.present = (pgc->audio_control[i] & kAudioAvailable) != 0;
    s.language = a.lang_type == kLanguageGiven ? a.lang_code : 0;
    s.coding = CodingOf(a.audio_format);
    s.number = (pgc->audio_control[i] >> kAudioNumberShift) & kAudioNumberMask;
    t.audio.push_back(s);
  }
  for (std::size_t i = 0; i < mat->nr_of_vts_subp_streams && i < kMaxSpu; ++i) {
    const std::uint32_t c = pgc->subp_control[i];
    DvdSubpictureStream s;
    s.present = (c & kSpuAvailable) != 0;
    s.language = mat->vts_subp_attr[i].type == kLanguageGiven ? mat->vts_subp_attr[i].lang_code : 0;
    s.normal = static_cast<int>(c >> kSpuNormalShift) & kSpuNumberMask;
    s.wide = static_cast<int>(c >> kSpuWideShift) & kSpuNumberMask;
    s.letterBox = static_cast<int>(c >> kSpuLetterBoxShift) & kSpuNumberMask;
    s.panScan = static_cast<int>(c >> kSpuPanScanShift) & kSpuNumberMask;
    t.spu.push_back(s);
  }
  // Streams past the last the title has are not offered at all.
  while (!t.audio.empty() && !t.audio.back().present) t.audio.pop_back();
  while (!t.spu.empty() && !t.spu.back().present) t.spu.pop_back();
  return t;
}

}  // namespace

int DvdAudioStream::Id() const {
  switch (coding) {
    case DvdAudioCoding::Ac3: return 0x80 + number;
    case DvdAudioCoding::Dts: return 0x88 + number;
    case DvdAudioCoding::Lpcm: return 0xA0 + number;
    case DvdAudioCoding::Mpeg: return 0xC0 + number;
    case DvdAudioCoding::Other: break;
  }
  return -1;
}

int DvdTitleStreams::SubpictureNumber(std::size_t logical, DvdDisplay display) const {
  if (logical >= spu.size() || !spu[logical].present) return -1;
  const DvdSubpictureStream& s = spu[logical];
  if (!wide) return s.normal;
  switch (display) {
    case DvdDisplay::Wide: return s.wide;
    case DvdDisplay::LetterBox: return s.letterBox;
    case DvdDisplay::PanScan: return panScanAllowed ? s.panScan : s.letterBox;
  }
  return s.wide;
}

std::vector<DvdTitleStreams> ReadDvdTitleStreams(dvd_reader_s* dvd) {
  std::vector<DvdTitleStreams> r;
  Ifo vmg(dvd, 0);
  if (!vmg.h || !vmg.h->tt_srpt) return r;
  const tt_srpt_t& tt = *vmg.h->tt_srpt;
  r.resize(tt.nr_of_srpts);
  const int sets = vmg.h->vmgi_mat ? vmg.h->vmgi_mat->vmg_nr_of_title_sets : 0;
  for (int n = 1; n <= sets; ++n) {
    Ifo vts(dvd, n);
    if (!vts.h) continue;
    for (std::size_t i = 0; i < r.size(); ++i)
      if (tt.title[i].title_set_nr == n) r[i] = StreamsOf(*vts.h, tt.title[i].vts_ttn);
  }
  return r;
}

}  // namespace kavoro::media
