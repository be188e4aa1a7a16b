#!/usr/bin/env bash
# make-dvd.sh OUTDIR
#
# Makes the test and demo discs from generated pictures and tones:
#   OUTDIR/DVD/      a DVD-Video folder (AUDIO_TS, VIDEO_TS) with a title menu, a root menu and
#                    one title of three chapters, two audio and two subtitle languages
#   OUTDIR/DVD.iso   the same disc as a UDF/ISO9660 image
#   OUTDIR/VCD/      a Video CD folder (EXT, CDI, MPEGAV, SEGMENT, VCD); MPEGAV holds a plain
#                    MPEG-1 system stream (AVSEQ01.DAT) and a RIFF/CDXA-wrapped one (AVSEQ02.DAT)
#   OUTDIR/VCD.bin, VCD.cue   the Video CD image the folder's RIFF file and VCD/ files come from
# The layout of the discs is described in README.md beside this script.
#
# A stamp in OUTDIR remembers what made the files: a second run with the same scripts does
# nothing. Everything is built in a scratch folder and moved into place at the end, under a lock,
# so a run that fails or is interrupted never leaves a half-made disc behind.
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
me=make-dvd
. "$here/fixture-lib.sh"

[ $# -eq 1 ] || die "usage: make-dvd.sh OUTDIR"
need_tools ffmpeg dvdauthor spumux genisoimage vcdimager perl flock sha256sum

mkdir -p "$1"
out="$(cd "$1" && pwd)"
stamp="$out/.make-dvd.stamp"
key="$(cat "$here/make-dvd.sh" "$here/fixture-lib.sh" "$here/ps-restream.pl" "$here/vcd-extract.pl" | sha256sum | cut -d' ' -f1)"

complete() {
  [ -f "$stamp" ] && [ "$(cat "$stamp")" = "$key" ] &&
    [ -f "$out/DVD/VIDEO_TS/VIDEO_TS.IFO" ] && [ -f "$out/DVD/VIDEO_TS/VTS_01_1.VOB" ] &&
    [ -d "$out/DVD/AUDIO_TS" ] && [ -s "$out/DVD.iso" ] &&
    [ -s "$out/VCD/MPEGAV/AVSEQ01.DAT" ] && [ -s "$out/VCD/MPEGAV/AVSEQ02.DAT" ]
}

start_scratch
cd "$work"
export VIDEO_FORMAT=PAL                  # dvdauthor and spumux read it

# MPEG-2 for DVD: PAL 4:3, closed GOPs of 10 frames, so every 0.4 s starts a VOBU that decodes on
# its own and the 4 s chapter points fall on GOP starts.
dvd_video=(-c:v mpeg2video -s 720x576 -r 25 -aspect 4:3 -pix_fmt yuv420p -b:v 3000k
  -maxrate 8000k -bufsize 1835k -g 10 -bf 2 -flags +cgop -sc_threshold 1000000000)
dvd_mux=(-f dvd -muxrate 10080k -packetsize 2048)

# ---------------------------------------------------------------------------------------------
# Menus. Three buttons in one column; the label boxes are the same in both menus:
#   button 1  x 200..519, y 220..289   label at its middle
#   button 2  x 200..519, y 320..389
#   button 3  x 200..519, y 420..489
btn_x=200 btn_w=320 btn_h=70
btn_y=(220 320 420)

# menu_picture HEADING LABEL1 LABEL2 LABEL3 SECONDS EXTRA-FILTER OUT.mpg
menu_picture() {
  local heading=$1 seconds=$5 extra=$6 f i
  local labels=("$2" "$3" "$4")
  f="color=c=0x1b2a5a:s=720x576:r=25:d=$seconds"
  f="$f,drawtext=fontfile=$font:text='$heading':fontsize=44:fontcolor=white:x=(w-tw)/2:y=100"
  for i in 0 1 2; do
    f="$f,drawbox=x=$btn_x:y=${btn_y[i]}:w=$btn_w:h=$btn_h:color=0x3d5a9e:t=fill"
    f="$f,drawtext=fontfile=$font:text='${labels[i]}':fontsize=36:fontcolor=white"
    f="$f:x=$btn_x+($btn_w-tw)/2:y=${btn_y[i]}+($btn_h-th)/2"
  done
  [ -n "$extra" ] && f="$f,$extra"
  ff -f lavfi -i "$f" -f lavfi -i "anullsrc=r=48000:cl=stereo" -t "$seconds" \
    "${dvd_video[@]}" -c:a ac3 -b:a 192k "${dvd_mux[@]}" "$7"
}

# button_mask COLOUR OUT.png: a frame of 6 pixels in COLOUR along the inside of each button
# rectangle, everything else transparent. (drawbox with replace works on YUVA here; on RGBA it
# crashes this ffmpeg.) No translucent fill inside: spumux would give the fill and the
# transparent rows between the buttons the same pixel value.
button_mask() {
  local f="color=c=black@0.0:s=720x576,format=yuva444p" y
  for y in "${btn_y[@]}"; do
    f="$f,drawbox=x=$btn_x:y=$y:w=$btn_w:h=$btn_h:color=$1:t=6:replace=1"
  done
  ff -f lavfi -i "$f,format=rgba" -frames:v 1 "$2"
}

# menu_buttons IN.mpg OUT.mpg: the button subpicture (stream 0) with highlight (yellow) and
# select (red) colours; spumux hands the rectangles and colours on to dvdauthor. x1 and y1 are
# exclusive for spumux (it keeps only the mask pixels inside [x0,x1) x [y0,y1)) but go into the
# PCI as they are, so the recorded rectangle is one pixel wider and taller than the frame.
menu_buttons() {
  local x1=$((btn_x + btn_w)) i
  {
    echo '<subpictures format="PAL">'
    echo '  <stream>'
    echo '    <spu start="00:00:00.00" force="yes" highlight="highlight.png" select="select.png">'
    for i in 1 2 3; do
      local y0=${btn_y[i - 1]} up=$(((i + 1) % 3 + 1)) down=$((i % 3 + 1))
      echo "      <button name=\"b$i\" x0=\"$btn_x\" y0=\"$y0\" x1=\"$x1\" y1=\"$((y0 + btn_h))\"" \
        "up=\"b$up\" down=\"b$down\"/>"
    done
    echo '    </spu>'
    echo '  </stream>'
    echo '</subpictures>'
  } >buttons.xml
  filter "$1" "$2" spumux -m dvd -s 0 buttons.xml
}

say "menus: title menu (still) and root menu (looping), three buttons each"
button_mask yellow highlight.png
button_mask red select.png
menu_picture "Kavoro Demo - Title Menu" "Play movie" "Chapter 2" "Root menu" 1 "" vmgm-bg.mpg
menu_picture "Kavoro Demo - Root Menu" "Play movie" "Chapter 2" "Title menu" 3 \
  "drawtext=fontfile=$font:text='looping':fontsize=24:fontcolor=orange:x=40+t*180:y=520" vtsm-bg.mpg
menu_buttons vmgm-bg.mpg vmgm.mpg
menu_buttons vtsm-bg.mpg vtsm.mpg

# ---------------------------------------------------------------------------------------------
# Title 1: 12 s of test pattern, a chapter every 4 s with its number drawn big and a band of its
# own colour (red, green, blue) at the top. Audio stream 0: AC3, English, 440 Hz steady tone.
# Audio stream 1: MPEG-1 Layer II, French, 880 Hz with a beep every second.
say "title 1: three chapters of 4 s, audio en (AC3) + fr (MP2), subtitles en + de"
v="testsrc2=s=720x576:r=25:d=12"
v="$v,drawbox=x=0:y=0:w=iw:h=80:color=red:t=fill:enable='lt(t,4)'"
v="$v,drawbox=x=0:y=0:w=iw:h=80:color=green:t=fill:enable='between(t,4,8)'"
v="$v,drawbox=x=0:y=0:w=iw:h=80:color=blue:t=fill:enable='gte(t,8)'"
v="$v,drawtext=fontfile=$font:text='Chapter %{eif\:floor(t/4)+1\:d}':fontsize=44:fontcolor=white:x=30:y=18"
v="$v,drawtext=fontfile=$font:text='%{pts\:hms}':fontsize=32:fontcolor=white:x=w-tw-30:y=24"
v="$v,drawtext=fontfile=$font:text='%{eif\:floor(t/4)+1\:d}':fontsize=260:fontcolor=white"
v="$v:borderw=10:bordercolor=black:x=(w-tw)/2:y=(h-th)/2"
ff -f lavfi -i "$v" \
  -f lavfi -i "sine=f=440:r=48000:d=12" \
  -f lavfi -i "sine=f=880:beep_factor=2:r=48000:d=12" \
  -map 0:v -map 1:a -map 2:a "${dvd_video[@]}" \
  -c:a:0 ac3 -b:a:0 192k -ac:a:0 2 \
  -c:a:1 mp2 -b:a:1 192k -ac:a:1 2 \
  "${dvd_mux[@]}" title-av0.mpg
filter title-av0.mpg title-av.mpg perl "$here/ps-restream.pl" 0xC0 0xC1

# subtitles LANG STREAM IN.mpg OUT.mpg TEXT1 TEXT2 TEXT3: one text subtitle a chapter, drawn by
# spumux's own renderer into subpicture stream STREAM (id 0x20 + STREAM).
subtitles() {
  local lang=$1 stream=$2 in=$3 outf=$4
  shift 4
  cat >"$lang.srt" <<EOF
1
00:00:00,500 --> 00:00:03,500
$1

2
00:00:04,500 --> 00:00:07,500
$2

3
00:00:08,500 --> 00:00:11,500
$3
EOF
  textsub_xml "$lang.srt" 32.0 40 'aspect="4:3"' >"$lang.xml"
  filter "$in" "$outf" spumux -m dvd -s "$stream" "$lang.xml"
}
subtitles en 0 title-av.mpg title-en.mpg "EN: Chapter one" "EN: Chapter two" "EN: Chapter three"
subtitles de 1 title-en.mpg title.mpg "DE: Kapitel eins" "DE: Kapitel zwei" "DE: Kapitel drei"

# ---------------------------------------------------------------------------------------------
# The disc. First play goes to the title menu. Title menu (VMGM, entry "title", a still that
# waits for ever) and root menu (VTSM, entry "root", a 3 s picture that loops) have the same
# three buttons: play title 1, play title 1 from chapter 2, go to the other menu. Title 1 returns
# to the root menu when it ends. Menu jumps to a chapter need the jump pads.
say "authoring DVD/"
cat >dvd.xml <<'EOF'
<dvdauthor dest="DVD" jumppad="yes" format="pal">
  <vmgm>
    <fpc>jump vmgm menu 1;</fpc>
    <menus lang="en">
      <video format="pal" aspect="4:3"/>
      <audio lang="en"/>
      <subpicture lang="en"/>
      <pgc entry="title">
        <vob file="vmgm.mpg" pause="inf"/>
        <button name="b1">jump title 1;</button>
        <button name="b2">jump title 1 chapter 2;</button>
        <button name="b3">jump titleset 1 menu;</button>
      </pgc>
    </menus>
  </vmgm>
  <titleset>
    <menus lang="en">
      <video format="pal" aspect="4:3"/>
      <audio lang="en"/>
      <subpicture lang="en"/>
      <pgc entry="root">
        <vob file="vtsm.mpg"/>
        <button name="b1">jump title 1;</button>
        <button name="b2">jump title 1 chapter 2;</button>
        <button name="b3">jump vmgm menu;</button>
        <post>jump cell 1;</post>
      </pgc>
    </menus>
    <titles>
      <video format="pal" aspect="4:3"/>
      <audio lang="en"/>
      <audio lang="fr"/>
      <subpicture lang="en"/>
      <subpicture lang="de"/>
      <pgc>
        <vob file="title.mpg" chapters="0,0:04,0:08"/>
        <post>call menu;</post>
      </pgc>
    </titles>
  </titleset>
</dvdauthor>
EOF
quiet dvdauthor -x dvd.xml
mkdir -p DVD/AUDIO_TS
[ -f DVD/VIDEO_TS/VTS_01_1.VOB ] || die "dvdauthor wrote no title VOB"

say "imaging DVD.iso"
quiet genisoimage -dvd-video -V KAVORO_DEMO -o DVD.iso DVD

# ---------------------------------------------------------------------------------------------
# The Video CD: two 4 s PAL VCD sequences (352x288 MPEG-1, MP2 44.1 kHz), "VCD 1" at 330 Hz and
# "VCD 2" at 660 Hz. vcdimager makes the disc image; its files are copied out as a desktop system
# shows them (MPEG tracks as RIFF/CDXA), then AVSEQ01.DAT is replaced by the plain MPEG-1 system
# stream, so the folder holds one .DAT of each kind. vcdimager makes no CDI or SEGMENT folder for
# a disc without CD-i application or still segments; real discs have both, so they are added.
say "Video CD: VCD/ with MPEGAV/AVSEQ01.DAT (plain MPEG-1) and AVSEQ02.DAT (RIFF/CDXA)"
for n in 1 2; do
  ff -f lavfi -i "testsrc=s=352x288:r=25:d=4,drawtext=fontfile=$font:text='VCD $n':fontsize=64:fontcolor=white:borderw=4:bordercolor=black:x=(w-tw)/2:y=(h-th)/2" \
    -f lavfi -i "sine=f=$((n * 330)):r=44100:d=4" -target pal-vcd "vcd$n.mpg"
done
quiet vcdimager -t vcd2 -l KAVORO_VCD -c VCD.cue -b VCD.bin vcd1.mpg vcd2.mpg
quiet perl "$here/vcd-extract.pl" VCD.bin VCD
mkdir -p VCD/EXT VCD/CDI VCD/SEGMENT VCD/MPEGAV VCD/VCD
cp vcd1.mpg VCD/MPEGAV/AVSEQ01.DAT
[ "$(head -c 4 VCD/MPEGAV/AVSEQ02.DAT)" = RIFF ] || die "AVSEQ02.DAT is not a RIFF file"

# ---------------------------------------------------------------------------------------------
# Into place: old results out, new ones in, the stamp last.
rm -rf "$out/DVD" "$out/DVD.iso" "$out/VCD" "$out/VCD.bin" "$out/VCD.cue" "$stamp"
mv DVD DVD.iso VCD VCD.bin VCD.cue "$out/"
echo "$key" >"$stamp"
say "made in $out:"
(cd "$out" && find DVD VCD DVD.iso VCD.bin VCD.cue -type f -printf '  %p (%s bytes)\n' | sort)
