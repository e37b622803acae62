#!/usr/bin/env bash
# Whole-program figures of playing a 20-s 1920×1080 30 fps H.264 clip in a 1280×720 video area
# with the Lanczos resizer under a private Xvfb, from the statistics dump: frames presented
# against frames in the file, frames presented twice, the largest gap between presentations,
# the presentation delay after 5 s, and the player's user + system CPU seconds.
# Usage: bench/play_clip.sh [build-dir]   (run it alone: the machine has two cores)
set -euo pipefail
build=$(realpath "${1:-build}")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fixtures="$build/fixtures"
clip="$fixtures/testsrc2-1080p30-h264.avi"
mkdir -p "$fixtures"
if [ ! -f "$clip" ]; then
  echo "Making $clip ..."
  ffmpeg -loglevel error -f lavfi -i testsrc2=size=1920x1080:rate=30 -t 20 \
    -c:v libx264 -preset medium -pix_fmt yuv420p "$clip"
fi
frames=600

mkdir -p "$work/config/vkdo"
printf '[General]\nResizeType=1\n' > "$work/config/vkdo/VSTL.conf"
display=$(( 500 + RANDOM % 400 ))
Xvfb ":$display" -screen 0 2560x1600x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null; [ -n "${VISTREL_BENCH_KEEP:-}" ] && cp "$work/stats.txt" "$VISTREL_BENCH_KEEP"; rm -rf "$work"' EXIT
sleep 1
export DISPLAY=":$display"
# VISTREL_DISPLAY=software in the caller's environment measures the painted path instead of OpenGL.
env XDG_CONFIG_HOME="$work/config" VISTREL_AUDIO=virtual VISTREL_STATS="$work/stats.txt" \
  /usr/bin/time -f '%U %S' -o "$work/time.txt" "$build/vistrel" "$clip" >"$work/out.txt" 2>&1 &
player=$!
window=$(timeout 20 xdotool search --sync --name '^Vistrel$' | head -1)
sleep 2
# The open sized the video area to 1920×1080; the rest of the window is frame and menu.
height=$(xdotool getwindowgeometry "$window" | awk '/Geometry/ {split($2, s, "x"); print s[2]}')
xdotool windowsize --sync "$window" 1280 $(( height - 1080 + 720 ))
sleep 1
xdotool windowfocus --sync "$window"
xdotool key space
for _ in $(seq 1 120); do
  sleep 0.5
  shown=$(awk '$1 == "frame" && $2 == 19967 {n++} END {print n + 0}' "$work/stats.txt")
  [ "$shown" -gt 0 ] && break
done
sleep 1
xdotool key alt+f
sleep 0.3
xdotool key x
wait $player || true

awk -v frames=$frames -v cpu="$(tail -1 "$work/time.txt")" '
  $1 == "frame" { n++; stamp[n] = $2; shown[n] = $5; pdelay[n] = $7; if ($2 == 0) start = n }
  END {
    # Playback goes on from the last presentation of frame 0, which showed the open; gaps count
    # from the first frame played.
    distinct = 0; twice = 0; maxgap = 0; delay = -1
    for (i = start; i <= n; i++) {
      if (count[stamp[i]]++ == 0) distinct++; else if (count[stamp[i]] == 2) twice++
      if (i > start + 1 && shown[i] - shown[i - 1] > maxgap) { maxgap = shown[i] - shown[i - 1]; gapat = stamp[i] }
      if (delay < 0 && stamp[i] >= 5000) delay = pdelay[i]
    }
    split(cpu, t, " ")
    printf "frames presented / in file: %d / %d\n", distinct, frames
    printf "frames presented twice: %d\n", twice
    printf "largest gap between presentations: %.1f ms (before frame %d ms)\n", maxgap / 1000, gapat
    printf "PDelay after 5 s: %d ms\n", delay
    printf "CPU seconds (user + system): %.2f (%.2f + %.2f)\n", t[1] + t[2], t[1], t[2]
  }' "$work/stats.txt"
