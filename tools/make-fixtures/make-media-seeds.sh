#!/usr/bin/env bash
# make-media-seeds.sh OUTDIR: a seed corpus for the file-source fuzz target: a fraction of a
# second of tiny picture and tone in each container and codec the player meets, made with
# ffmpeg, plus cut-off copies of some. Each file stays small so that the fuzzer's mutations
# reach every part of it. Nothing is done when OUTDIR/.stamp is newer than this script.
set -euo pipefail
out="$1"
stamp="$out/.stamp"
if [[ -f "$stamp" && "$stamp" -nt "$0" ]]; then exit 0; fi
mkdir -p "$out"

ff() { ffmpeg -nostdin -v error -y "$@"; }
video="-f lavfi -i color=c=red:s=32x24:r=25:d=0.4"
tone="-f lavfi -i sine=f=440:d=0.4:sample_rate=22050"
tone48="-f lavfi -i sine=f=440:d=0.4:sample_rate=48000"

ff $video $tone -c:v mpeg1video -c:a mp2 -f mpeg "$out/mpeg1.mpg"
ff $video $tone48 -c:v mpeg2video -c:a mp2 -f vob "$out/mpeg2.vob"
ff $video $tone48 -c:v mpeg2video -c:a ac3 -f vob "$out/ac3.vob"
ff $video $tone48 -c:v mpeg2video -c:a mp2 -f mpegts "$out/mpeg2.ts"
ff $video $tone -c:v mpeg4 -c:a libmp3lame -f avi "$out/mpeg4.avi"
ff $video $tone -c:v wmv2 -c:a wmav2 -f asf "$out/wmv2.asf"
ff $video $tone -c:v mpeg4 -c:a aac -f mov "$out/mpeg4.mov"
ff $video -c:v mpeg4 -f matroska "$out/mpeg4.mkv"
ff $tone -c:a libmp3lame -f mp3 "$out/tone.mp3"
ff $tone -c:a pcm_s16le -f wav "$out/tone.wav"
ff $tone -c:a flac -f flac "$out/tone.flac"
# Files cut off in the middle: the demuxer's end-of-data paths.
for f in mpeg2.vob mpeg4.avi mpeg4.mov; do
  size=$(stat -c %s "$out/$f")
  head -c $((size / 2)) "$out/$f" > "$out/cut-$f"
done
touch "$stamp"
