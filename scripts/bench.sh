#!/usr/bin/env bash
# Benchmark figures of the media framework on a DVD-sized file.
#   scripts/bench.sh [BUILD_DIR]   (default: build)
# Makes (once, into BUILD_DIR/bench) a 60 s 720x576 25 fps MPEG-2 program stream with AC-3
# sound, then measures, each on its own:
#   ffmpeg decoding it to nothing            wall and CPU time of the process
#   kavoro-bench FILE (frames as they come)  wall and CPU time of the process, peak resident
#                                            memory
#   kavoro-bench --realtime FILE under Xvfb  frames, dropped frames, CPU share of one core,
#                                            peak resident memory
#   kavoro-bench --realtime --fullscreen     the same through the player's video control, full
#     1920x1080 FILE under a 1920x1080 Xvfb  screen, the picture keyed and scaled to the screen
#   kavoro-bench --seek FILE                 20 seeks spread over the file, half paused, half
#                                            playing: median and worst time to the target's
#                                            picture, and how far its time lies from the target;
#                                            also on a 60 s 1280x720 H.264 file (libx264 with its
#                                            default 250-picture key frame interval), made once
#                                            when ffmpeg has libx264
# and prints them side by side with the targets.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$(cd "${1:-$root/build}" && pwd)"
bench="$build/app/kavoro-bench"
[[ -x "$bench" ]] || { echo "no $bench: build the target kavoro-bench first" >&2; exit 1; }
out="$build/bench"
mkdir -p "$out"
file="$out/dvd-60s.mpg"

h264="$out/h264-720p-60s.mp4"
if [[ ! -s "$h264" ]] && ffmpeg -hide_banner -encoders 2>/dev/null | grep -q libx264; then
  echo "making $h264 ..."
  ffmpeg -nostdin -v error -y \
    -f lavfi -i "testsrc2=s=1280x720:r=25:d=60" \
    -f lavfi -i "sine=f=440:d=60:sample_rate=48000" \
    -ac 2 -c:v libx264 -preset veryfast -g 250 -bf 3 -c:a aac -b:a 128k -movflags +faststart \
    -f mp4 "$h264.part"
  mv "$h264.part" "$h264"
fi

if [[ ! -s "$file" ]]; then
  echo "making $file ..."
  # A moving test pattern and a tone, encoded as a DVD would carry them.
  ffmpeg -nostdin -v error -y \
    -f lavfi -i "testsrc2=s=720x576:r=25:d=60" \
    -f lavfi -i "sine=f=440:d=60:sample_rate=48000" \
    -ac 2 -c:v mpeg2video -b:v 6000k -maxrate 8000k -bufsize 1835k -g 12 -bf 2 \
    -c:a ac3 -b:a 192k -f dvd "$file.part"
  mv "$file.part" "$file"
fi

# time -v prints "Elapsed (wall clock) time (h:mm:ss or m:ss): 0:12.34" and the resident peak.
measure() {  # measure LOG CMD...: runs CMD with its stdout into LOG.out, time's report into LOG
  local log="$1"; shift
  /usr/bin/time -v -o "$log" "$@" > "$log.out" 2>&1
}
seconds() {  # the wall time of a time -v report, in seconds
  sed -n 's/.*Elapsed (wall clock) time (h:mm:ss or m:ss): //p' "$1" |
    awk -F: '{ s = 0; for (i = 1; i <= NF; i++) s = s * 60 + $i; printf "%.3f", s }'
}
cpu() {  # user + system seconds of a time -v report
  awk -F': ' '/User time|System time/ { s += $2 } END { printf "%.3f", s }' "$1"
}
rss_mb() {
  awk -F': ' '/Maximum resident set size/ { printf "%.1f", $2 / 1024 }' "$1"
}
field() {  # field NAME LINE: the value of NAME=VALUE in a kavoro-bench line
  tr ' ' '\n' <<< "$2" | sed -n "s/^$1=//p"
}

echo "ffmpeg -f null ..."
measure "$out/ffmpeg.time" ffmpeg -nostdin -v error -i "$file" -f null -
echo "kavoro-bench ..."
measure "$out/bench.time" "$bench" "$file"
echo "kavoro-bench --realtime (under Xvfb) ..."
# time runs inside xvfb-run, so the peak it reports is the player's, not the X server's.
xvfb-run -a /usr/bin/time -v -o "$out/realtime.time" "$bench" --realtime "$file" \
  > "$out/realtime.time.out" 2>&1

echo "kavoro-bench --realtime --fullscreen 1920x1080 (under a 1920x1080 Xvfb) ..."
xvfb-run -a -s "-screen 0 1920x1080x24" /usr/bin/time -v -o "$out/fullscreen.time" \
  "$bench" --realtime --fullscreen 1920x1080 "$file" > "$out/fullscreen.time.out" 2>&1

echo "kavoro-bench --seek ..."
"$bench" --seek "$file" > "$out/seek.out" 2> "$out/seek.err" || true
seek_line=$(tail -n 1 "$out/seek.out")
seek_h264_line="no libx264 in this ffmpeg: the H.264 file was not made"
if [[ -s "$h264" ]]; then
  echo "kavoro-bench --seek (720p H.264) ..."
  "$bench" --seek "$h264" > "$out/seek-h264.out" 2> "$out/seek-h264.err" || true
  seek_h264_line=$(tail -n 1 "$out/seek-h264.out")
fi

ff_wall=$(seconds "$out/ffmpeg.time"); ff_cpu=$(cpu "$out/ffmpeg.time")
kb_line=$(tail -n 1 "$out/bench.time.out")
kb_play=$(field wall "$kb_line"); kb_frames=$(field frames "$kb_line")
kb_wall=$(seconds "$out/bench.time"); kb_cpu=$(cpu "$out/bench.time")
kb_rss=$(rss_mb "$out/bench.time")
rt_line=$(tail -n 1 "$out/realtime.time.out")
rt_wall=$(field wall "$rt_line"); rt_cpu=$(field cpu "$rt_line")
rt_frames=$(field frames "$rt_line"); rt_dropped=$(field dropped "$rt_line")
rt_rss=$(rss_mb "$out/realtime.time")
fs_line=$(tail -n 1 "$out/fullscreen.time.out")
fs_wall=$(field wall "$fs_line"); fs_cpu=$(field cpu "$fs_line")
fs_frames=$(field frames "$fs_line"); fs_dropped=$(field dropped "$fs_line")
fs_rss=$(rss_mb "$out/fullscreen.time")
fs_share=$(awk -v c="$fs_cpu" -v w="$fs_wall" 'BEGIN { printf "%.1f", 100 * c / w }')
ratio=$(awk -v a="$kb_wall" -v b="$ff_wall" 'BEGIN { printf "%.2f", a / b }')
share=$(awk -v c="$rt_cpu" -v w="$rt_wall" 'BEGIN { printf "%.1f", 100 * c / w }')

echo
echo "file: $file ($(stat -c %s "$file") bytes)"
printf '%-34s %10s %10s %10s %10s\n' "" "wall s" "cpu s" "frames" "peak MB"
printf '%-34s %10s %10s %10s %10s\n' "ffmpeg -f null" "$ff_wall" "$ff_cpu" "-" "$(rss_mb "$out/ffmpeg.time")"
printf '%-34s %10s %10s %10s %10s\n' "kavoro-bench" "$kb_wall" "$kb_cpu" "$kb_frames" "$kb_rss"
printf '%-34s %10s %10s %10s %10s\n' "kavoro-bench --realtime" "$rt_wall" "$rt_cpu" "$rt_frames" "$rt_rss"
printf '%-34s %10s %10s %10s %10s\n' "  --fullscreen 1920x1080" "$fs_wall" "$fs_cpu" "$fs_frames" "$fs_rss"
echo
echo "kavoro-bench's last line: $kb_line"
echo "kavoro-bench --realtime's last line: $rt_line"
echo "wall kavoro-bench / ffmpeg: ${ratio}x, whole processes (target <= 1.3x); playing alone took ${kb_play} s"
echo "realtime: dropped ${rt_dropped} frames (target 0), CPU ${share} % of one core (target < 20 %)"
echo "full screen 1920x1080: dropped ${fs_dropped} frames (target 0), CPU ${fs_share} % of one core (target < 15 %)"
echo "peak resident: ${kb_rss} MB, realtime ${rt_rss} MB (target < 150 MB)"
echo "seeks, DVD-sized MPEG-2: $seek_line (target: median < 100 ms, error within a frame)"
echo "seeks, 720p H.264:       $seek_h264_line (target: median < 100 ms, error within a frame)"
