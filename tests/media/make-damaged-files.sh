#!/usr/bin/env bash
# Makes the damaged files the checker plays, from clips ffmpeg generates (kept for the next run).
# Usage: make-damaged-files.sh DIR
#   good.mpg         4 s of moving picture (160x120, 25 fps: 100 pictures, MPEG-2) and a tone
#                    (MP2) in an MPEG program stream
#   burst.mpg        good.mpg with bytes 40 % to 55 % of the file overwritten with noise
#   undecodable.mkv  4 s of MPEG-4 video and MP2 sound, every byte of every packet overwritten
#                    (ffmpeg's noise filter): the container and stream headers are intact
#   novideo.mkv      the same with the sound intact
#   cut.mp4          an MP4 whose index follows the data, cut at 60 % of its length: the index
#                    is gone
#   gap.mkv          2 s of picture whose timestamps jump 30 s ahead after the first second:
#                    played in real time, nothing is presented for 30 s
set -euo pipefail
dir=$1
mkdir -p "$dir"
ff() { ffmpeg -nostdin -v error -y "$@"; }
picture=(-f lavfi -i "testsrc2=s=160x120:r=25:d=4")
tone=(-f lavfi -i "sine=f=440:d=4:sample_rate=48000")

make() {  # make NAME COMMAND...: runs COMMAND with NAME.part as its last argument, then renames
  local name=$1; shift
  [[ -s "$dir/$name" ]] && return 0
  "$@" "$dir/$name.part"
  mv "$dir/$name.part" "$dir/$name"
}

make good.mpg ff "${picture[@]}" "${tone[@]}" -ac 2 -c:v mpeg2video -q:v 4 -g 12 -c:a mp2 -f mpeg
make undecodable.mkv ff "${picture[@]}" "${tone[@]}" -ac 2 -c:v mpeg4 -c:a mp2 \
  -bsf:v noise=amount=1 -bsf:a noise=amount=1 -f matroska
make novideo.mkv ff "${picture[@]}" "${tone[@]}" -ac 2 -c:v mpeg4 -c:a mp2 \
  -bsf:v noise=amount=1 -f matroska

burst() {  # burst OUT: good.mpg with noise over 40 % to 55 % of its bytes
  local size start length
  size=$(stat -c %s "$dir/good.mpg")
  start=$(( size * 40 / 100 )); length=$(( size * 15 / 100 ))
  cp "$dir/good.mpg" "$1"
  # Seeded noise, the same bytes every time.
  ff -f lavfi -i "anoisesrc=c=white:seed=7:r=48000:d=10" -c:a pcm_u8 -f u8 "$dir/noise.bin"
  dd if="$dir/noise.bin" of="$1" bs=1 seek="$start" count="$length" conv=notrunc status=none
  rm -f "$dir/noise.bin"
}
make burst.mpg burst

cut() {  # cut OUT: an MP4 with its index at the end, cut before the index
  ff "${picture[@]}" "${tone[@]}" -ac 2 -c:v mpeg4 -c:a aac -f mp4 "$dir/whole.mp4"
  local size
  size=$(stat -c %s "$dir/whole.mp4")
  head -c $(( size * 60 / 100 )) "$dir/whole.mp4" > "$1"
  rm -f "$dir/whole.mp4"
}
make cut.mp4 cut
make gap.mkv ff -f lavfi -i "testsrc2=s=160x120:r=25:d=2" -vf "setpts=PTS+gte(T\,1)*30/TB" \
  -an -c:v mpeg4 -f matroska
