# Shared by the disc makers (sourced): messages, the tools check, the command wrappers, and the
# stamp, lock and scratch folder that make a disc at most once and never leave half of one.
# The maker sets `me` (its name in messages) and `out` (its output folder), and defines
# complete() (true when the output is there and its stamp matches `key`) before start_scratch.

font=/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf

die() { echo "$me: $*" >&2; exit 1; }
say() { echo "$me: $*"; }

# need_tools TOOL...: each on PATH, and the font the pictures are drawn with.
need_tools() {
  local tool
  for tool in "$@"; do
    command -v "$tool" >/dev/null 2>&1 || die "$tool is missing (scripts/setup.sh installs it)"
  done
  [ -f "$font" ] || die "font $font is missing (package fonts-dejavu-core)"
}

# Ends the maker when its output is up to date; else takes its lock (looking again once it has
# it: another run may have made the disc meanwhile) and sets `work` to a fresh scratch folder,
# removed at exit unless MAKE_DVD_KEEP is set (for a look at the intermediate files).
start_scratch() {
  if complete; then
    say "up to date: $out"
    exit 0
  fi
  exec 9>"$out/.$me.lock"
  flock 9
  if complete; then
    say "up to date: $out"
    exit 0
  fi
  rm -rf "$out/.$me".??????   # scratch of a run that was killed
  work="$(mktemp -d "$out/.$me.XXXXXX")"
  if [ -n "${MAKE_DVD_KEEP:-}" ]; then
    trap 'echo "$me: scratch files kept in $work" >&2' EXIT
  else
    trap 'rm -rf "$work"' EXIT
  fi
}

# quiet CMD...: runs it, showing its output only when it fails.
quiet() { "$@" >"$work/log" 2>&1 || { cat "$work/log" >&2; die "failed: $*"; }; }
# filter IN OUT CMD...: CMD from IN to OUT, its complaints shown when it fails.
filter() {
  local in=$1 to=$2
  shift 2
  "$@" <"$in" >"$to" 2>"$work/log" || { cat "$work/log" >&2; die "failed: $*"; }
}
ff() { quiet ffmpeg -hide_banner -nostdin -y "$@"; }

# textsub_xml SRT SIZE MARGIN [ATTRIBUTES]: spumux's description of one subtitle stream drawn
# from the text file SRT (white with a black outline, centred, MARGIN pixels above the bottom
# of a PAL picture), on standard output.
textsub_xml() {
  cat <<XML
<subpictures format="PAL">
  <stream>
    <textsub filename="$1" characterset="UTF-8" font="$font" fontsize="$2"
      fill-color="white" outline-color="black" outline-thickness="3.0"
      horizontal-alignment="center" vertical-alignment="bottom" bottom-margin="$3"
      subtitle-fps="25" movie-fps="25" movie-width="720" movie-height="574"${4:+ $4}/>
  </stream>
</subpictures>
XML
}
