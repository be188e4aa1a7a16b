#pragma once
// The audio and subpicture streams of each title, as the title's program chain offers them.
// A title set declares its streams (their attributes: language, coding); the program chain's
// audio and subpicture control tables (PGC_AST_CTL, PGC_SPST_CTL) say which of them the title
// really has and which stream in the VOBs plays each logical stream. An authored disc need not
// keep the two numberings alike, and a 16:9 title may have a subpicture stream of its own for
// each display (wide, letter box, pan-scan).
#include <cstddef>
#include <cstdint>
#include <vector>

struct dvd_reader_s;

namespace kavoro::media {

// The audio codings of a DVD, as the title set's attributes name them.
enum class DvdAudioCoding { Ac3, Mpeg, Lpcm, Dts, Other };

// The display a 16:9 title is shown on (DISPLAY_ values of SelectVideoModePreference).
enum class DvdDisplay { Wide, LetterBox, PanScan };

struct DvdAudioStream {
  bool present = false;      // the title has it (its control entry is marked available)
  std::uint16_t language = 0;  // ISO 639 letters as the disc stores them; 0 for none
  DvdAudioCoding coding = DvdAudioCoding::Other;
  int number = 0;            // the stream number in the VOBs (0..7): the low bits of its id
  // The stream's id as the VOBs carry it: AC3 0x80 + number, DTS 0x88 +, LPCM 0xA0 +,
  // MPEG audio 0xC0 +.
  int Id() const;
};

struct DvdSubpictureStream {
  bool present = false;
  std::uint16_t language = 0;
  // The stream number (0..31; the id is 0x20 + number) for a 4:3 title, and for a 16:9 title
  // on each display.
  int normal = 0, wide = 0, letterBox = 0, panScan = 0;
};

struct DvdTitleStreams {
  bool wide = false;            // a 16:9 title
  bool panScanAllowed = false;  // its pictures may be panned and scanned for a 4:3 display
  std::vector<DvdAudioStream> audio;       // by logical number; up to the last present one
  std::vector<DvdSubpictureStream> spu;    // likewise
  // The subpicture stream number that plays logical stream `logical` on `display`; -1 for one
  // the title has not got. A 4:3 title has one for every display; pan-scan falls back to the
  // letter box when the title does not allow it.
  int SubpictureNumber(std::size_t logical, DvdDisplay display) const;
};

// Any thread. The streams of every title of the disc open in `dvd` (titles from 1 at [0]);
// a title whose tables do not read has none.
std::vector<DvdTitleStreams> ReadDvdTitleStreams(dvd_reader_s* dvd);

}  // namespace kavoro::media
