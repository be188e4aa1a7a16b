#!/usr/bin/env bash
# make-dvd-streams.sh OUTDIR
#
# Makes the stream test disc OUTDIR/DVD-STREAMS (a DVD-Video folder) from generated pictures and
# tones: two title sets, a 16:9 title whose subpicture streams have separate wide-screen and
# letter-box ids, audio streams whose logical numbers are not their ids, an LPCM track, and a
# chapter made of two cells. The layout is described in README.md beside this script.
#
# Like make-dvd.sh: a stamp in OUTDIR remembers what made the disc, so a second run with the
# same scripts does nothing, and the disc is made in a scratch folder and moved into place under
# a lock.
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
me=make-dvd-streams
. "$here/fixture-lib.sh"

[ $# -eq 1 ] || die "usage: make-dvd-streams.sh OUTDIR"
need_tools ffmpeg dvdauthor spumux perl flock sha256sum

mkdir -p "$1"
out="$(cd "$1" && pwd)"
stamp="$out/.make-dvd-streams.stamp"
key="$(cat "$here/make-dvd-streams.sh" "$here/fixture-lib.sh" "$here/ps-restream.pl" "$here/ifo-swap-audio.pl" |
  sha256sum | cut -d' ' -f1)"

complete() {
  [ -f "$stamp" ] && [ "$(cat "$stamp")" = "$key" ] &&
    [ -f "$out/DVD-STREAMS/VIDEO_TS/VIDEO_TS.IFO" ] &&
    [ -f "$out/DVD-STREAMS/VIDEO_TS/VTS_01_1.VOB" ] && [ -f "$out/DVD-STREAMS/VIDEO_TS/VTS_02_1.VOB" ]
}

start_scratch
cd "$work"
export VIDEO_FORMAT=PAL


# PAL MPEG-2 in closed GOPs of 10 frames: a VOBU every 0.4 s, so cell and chapter points at
# multiples of 0.4 s fall on GOP starts.
dvd_video=(-c:v mpeg2video -s 720x576 -r 25 -pix_fmt yuv420p -b:v 2500k -maxrate 8000k
  -bufsize 1835k -g 10 -bf 2 -flags +cgop -sc_threshold 1000000000)
dvd_mux=(-f dvd -muxrate 10080k -packetsize 2048)

# still_menu TEXT OUT.mpg: one second of a menu picture with silence.
still_menu() {
  ff -f lavfi -i "color=c=0x203040:s=720x576:r=25:d=1,drawtext=fontfile=$font:text='$1':fontsize=44:fontcolor=white:x=(w-tw)/2:y=(h-th)/2" \
    -f lavfi -i "anullsrc=r=48000:cl=stereo" -t 1 "${dvd_video[@]}" -aspect 4:3 \
    -c:a ac3 -b:a 192k "${dvd_mux[@]}" "$2"
}

say "menus: the video manager's title menu and title set 2's root menu (stills)"
still_menu "Streams - Title Menu" vmgm.mpg
still_menu "Title set 2 - Root Menu" vtsm2.mpg

# ---------------------------------------------------------------------------------------------
# Title 1 (title set 1): 9.6 s of 16:9 test pattern. Muxed in this order, ffmpeg gives the ids
# French AC3 880 Hz 0x80, English AC3 440 Hz 0x81, German LPCM 660 Hz 0xA0; the LPCM stream is
# moved to 0xA2 so that its stream number (2) is its own. dvdauthor gives logical stream n the
# stream number n; ifo-swap-audio.pl then swaps logical 0 and 1, so that logical 0 is English
# (id 0x81) and logical 1 French (id 0x80).
say "title 1: 16:9, audio en (AC3 0x81) fr (AC3 0x80) de (LPCM 0xA2), four subpicture ids"
v="testsrc2=s=1024x576:r=25:d=9.6,scale=720:576"
v="$v,drawtext=fontfile=$font:text='Title 1 wide %{pts\:hms}':fontsize=40:fontcolor=white:borderw=4:bordercolor=black:x=(w-tw)/2:y=40"
ff -f lavfi -i "$v" \
  -f lavfi -i "sine=f=880:r=48000:d=9.6" \
  -f lavfi -i "sine=f=440:r=48000:d=9.6" \
  -f lavfi -i "sine=f=660:r=48000:d=9.6" \
  -map 0:v -map 1:a -map 2:a -map 3:a "${dvd_video[@]}" -aspect 16:9 \
  -c:a:0 ac3 -b:a:0 192k -ac:a:0 2 \
  -c:a:1 ac3 -b:a:1 192k -ac:a:1 2 \
  -c:a:2 pcm_s16be -ac:a:2 2 \
  "${dvd_mux[@]}" t1-av0.mpg
filter t1-av0.mpg t1-av.mpg perl "$here/ps-restream.pl" 0xA0 0xA2

# subtitle STREAM TEXT IN.mpg OUT.mpg: TEXT in subpicture stream STREAM, a unit every 1.2 s
# (shown 0.2 s to 1.0 s, 1.4 s to 2.2 s, ...), so that a stream chosen while the title plays
# soon delivers.
subtitle() {
  local stream=$1 text=$2 i
  for i in 0 1 2 3 4 5 6 7; do
    printf '%d\n00:00:%02d,%03d --> 00:00:%02d,%03d\n%s\n\n' $((i + 1)) \
      $(((200 + i * 1200) / 1000)) $(((200 + i * 1200) % 1000)) \
      $(((1000 + i * 1200) / 1000)) $(((1000 + i * 1200) % 1000)) "$text"
  done >"s$stream.srt"
  textsub_xml "s$stream.srt" 28.0 60 >"s$stream.xml"
  filter "$3" "$4" spumux -m dvd -s "$stream" "s$stream.xml"
}
subtitle 0 "EN wide" t1-av.mpg t1-s0.mpg
subtitle 1 "EN letterbox" t1-s0.mpg t1-s1.mpg
subtitle 2 "DE wide" t1-s1.mpg t1-s2.mpg
subtitle 3 "DE letterbox" t1-s2.mpg t1.mpg

# Title 2 (title set 2): 3.2 s of 4:3 test pattern, English AC3 330 Hz.
say "title 2: 4:3, audio en (AC3 0x80)"
ff -f lavfi -i "testsrc=s=720x576:r=25:d=3.2,drawtext=fontfile=$font:text='Title 2':fontsize=64:fontcolor=white:borderw=4:bordercolor=black:x=(w-tw)/2:y=(h-th)/2" \
  -f lavfi -i "sine=f=330:r=48000:d=3.2" -map 0:v -map 1:a "${dvd_video[@]}" -aspect 4:3 \
  -c:a ac3 -b:a 192k "${dvd_mux[@]}" t2.mpg

# ---------------------------------------------------------------------------------------------
# The disc. First play goes to the title menu, a still without buttons. Title 1 has three
# chapters over four cells (chapter 1 is two cells); title 2 and title set 2's root menu belong
# to title set 2.
say "authoring DVD-STREAMS/"
cat >dvd.xml <<'XML'
<dvdauthor dest="DVD-STREAMS" format="pal">
  <vmgm>
    <fpc>jump vmgm menu 1;</fpc>
    <menus lang="en">
      <video format="pal" aspect="4:3"/>
      <pgc entry="title">
        <vob file="vmgm.mpg" pause="inf"/>
      </pgc>
    </menus>
  </vmgm>
  <titleset>
    <titles>
      <video format="pal" aspect="16:9" widescreen="nopanscan"/>
      <audio format="ac3" lang="fr"/>
      <audio format="ac3" lang="en"/>
      <audio format="pcm" lang="de"/>
      <subpicture lang="en">
        <stream id="0" mode="widescreen"/>
        <stream id="1" mode="letterbox"/>
      </subpicture>
      <subpicture lang="de">
        <stream id="2" mode="widescreen"/>
        <stream id="3" mode="letterbox"/>
      </subpicture>
      <pgc>
        <vob file="t1.mpg">
          <cell start="0" end="2.4" chapter="1"/>
          <cell start="2.4" end="4.8"/>
          <cell start="4.8" end="7.2" chapter="1"/>
          <cell start="7.2" chapter="1"/>
        </vob>
        <post>call vmgm menu 1;</post>
      </pgc>
    </titles>
  </titleset>
  <titleset>
    <menus lang="en">
      <video format="pal" aspect="4:3"/>
      <pgc entry="root">
        <vob file="vtsm2.mpg" pause="inf"/>
      </pgc>
    </menus>
    <titles>
      <video format="pal" aspect="4:3"/>
      <audio format="ac3" lang="en"/>
      <pgc>
        <vob file="t2.mpg" chapters="0"/>
        <post>call vmgm menu 1;</post>
      </pgc>
    </titles>
  </titleset>
</dvdauthor>
XML
quiet dvdauthor -x dvd.xml
mkdir -p DVD-STREAMS/AUDIO_TS
for f in DVD-STREAMS/VIDEO_TS/VTS_01_0.IFO DVD-STREAMS/VIDEO_TS/VTS_01_0.BUP; do
  quiet perl "$here/ifo-swap-audio.pl" "$f" 0 1
done

rm -rf "$out/DVD-STREAMS" "$stamp"
mv DVD-STREAMS "$out/"
echo "$key" >"$stamp"
say "made in $out/DVD-STREAMS:"
(cd "$out" && find DVD-STREAMS -type f -printf '  %p (%s bytes)\n' | sort)
