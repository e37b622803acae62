#!/usr/bin/env bash
# Audio/video agreement of a whole playback on the virtual sound device under a private Xvfb:
# the largest and mean |frame time stamp − stream time being heard| over the presented frames,
# frames presented twice and never. Usage: bench/av_sync.sh [build-dir] [clip]
# Without a clip it plays the demo clip; `bench/av_sync.sh build long` makes and plays a
# 5-minute 25 fps clip with a PCM sound track. Run it alone: the machine has two cores.
set -euo pipefail
build=$(realpath "${1:-build}")
clip="${2:-$build/demo.avi}"
if [ "$clip" = long ]; then
  clip="$build/fixtures/testsrc-5min-pcm.avi"
  mkdir -p "$build/fixtures"
  [ -f "$clip" ] || ffmpeg -loglevel error -f lavfi -i testsrc=size=640x360:rate=25 \
    -f lavfi -i sine=frequency=440:sample_rate=44100 -t 300 -c:v mpeg4 -q:v 5 -c:a pcm_s16le -ac 2 "$clip"
fi
frames=$(ffprobe -v error -select_streams v:0 -count_packets -show_entries stream=nb_read_packets -of csv=p=0 "$clip")
seconds=$(ffprobe -v error -show_entries format=duration -of csv=p=0 "$clip")
work=$(mktemp -d)
display=$(( 500 + RANDOM % 400 ))
Xvfb ":$display" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null; rm -rf "$work"' EXIT
sleep 1
export DISPLAY=":$display"
env XDG_CONFIG_HOME="$work" VISTREL_AUDIO=virtual VISTREL_STATS="$work/stats.txt" "$build/vistrel" "$clip" \
  >"$work/out.txt" 2>&1 &
player=$!
window=$(timeout 20 xdotool search --sync --name '^Vistrel$' | head -1)
sleep 1
xdotool windowfocus --sync "$window"
xdotool key space
sleep "$(awk -v s="$seconds" 'BEGIN { printf "%d", s + 3 }')"
xdotool key alt+f
sleep 0.3
xdotool key x
wait $player || true

awk -v frames="$frames" '
  # Lines without sound (-1) are the open'"'"'s first picture and its redraws.
  $1 == "frame" && $8 >= 0 {
    d = $2 - $8; if (d < 0) d = -d
    if (d > worst) worst = d
    sum += d; n++
    if (played[$2]++ == 1) twice++
  }
  $1 == "frame" { count[$2]++ }
  END {
    distinct = 0
    for (s in count) distinct++
    printf "presented with sound: %d; |video - audio| largest %d ms, mean %.1f ms\n", n, worst, sum / n
    printf "frames presented: %d of %d; twice: %d; never: %d\n", distinct, frames, twice, frames - distinct
  }' "$work/stats.txt"
