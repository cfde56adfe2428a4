#!/usr/bin/env bash
# The shipped music in a fresh program folder, as a new user hears it: the sample event made with the built-in
# resources folder (which copies the default tracks into the music folder), then a draw with Space. Every
# player's sound goes to a file of its own through a recording sink instead of a speaker: the scroll music
# must sound exactly while names scroll, and the fanfare once at each stop, from its start.
#
#   music_e2e.sh <kelvora> <kelvora_e2e_tool> <kelvora_sample_data>
#
# Exit 77 (skipped) when Xvfb, xdotool or sox is missing.
set -euo pipefail

HERE=$(cd "$(dirname "$0")" && pwd)
export PROGRAM; PROGRAM=$(readlink -f "$1") # read by e2e_setup
TOOL=$(readlink -f "$2")
SAMPLE=$(readlink -f "$3")
# shellcheck source=e2e_common.sh
source "$HERE/e2e_common.sh"
e2e_require Xvfb xdotool sox
e2e_setup music
"$SAMPLE" "$RUN" "$RUN/内置资源" >/dev/null
for track in 滚动1.mp3 中奖1.mp3; do
  [ -f "$RUN/参数设置(勿删)/音乐/$track" ] || fail "the sample folder has no $track"
done
start_xvfb 1920x1080

# A pipe per player: a file sink truncates a seekable file at every rewind, a pipe keeps all that was played.
REC="$WORK/rec"
mkdir -p "$REC"
READERS=()
for n in 1 2 3 4; do
  mkfifo "$REC/player-$n.fifo"
  cat "$REC/player-$n.fifo" >"$REC/player-$n.raw" &
  READERS+=($!)
done
# A reader whose player never came waits for a writer: one that writes nothing lets it end. Opened for reading
# and writing, which never blocks: a reader that has just ended (kill -0 still sees it until it is reaped)
# would leave a plain write-only open waiting for ever.
release_readers() {
  local n
  for n in 1 2 3 4; do
    : <>"$REC/player-$n.fifo"
  done
  wait "${READERS[@]}" 2>/dev/null || true
}
RATE=44100
export KELVORA_AUDIO_SINK="audioconvert ! audioresample ! audio/x-raw,format=S16LE,channels=1,rate=$RATE ! \
filesink sync=true buffer-mode=2 location=$REC/player-{player}.fifo"

seconds() { sox -t raw -r $RATE -e signed -b 16 -c 1 "$1" -n stat 2>&1 | awk '/^Length/ {print $3}'; }
loudness() { sox -t raw -r $RATE -e signed -b 16 -c 1 "$1" -n stat 2>&1 | awk '/^RMS +amplitude/ {print $3}'; }
between() { awk -v v="$1" -v lo="$2" -v hi="$3" 'BEGIN { exit !(v >= lo && v <= hi) }'; }

STEP="start-up"
(cd "$RUN" && exec ./kelvora) >>"$WORK/kelvora.log" 2>&1 &
APP_PID=$!
wait_for "the draw screen" full_screen_window
sleep 0.5
[ "$(captioned)" = 1 ] || fail "a message box at start-up"
xdotool mousemove 960 540

STEP="a draw: 3 s of scrolling, a stop, 2 s more, a stop"
key space # the first prize: the scroll player is made, paused at its start
sleep 1
key space # names scroll
sleep 3
key space # stop: the fanfare starts
sleep 2.5
key space # the same prize again
sleep 2
key space # stop: the fanfare starts over
sleep 2
kill -9 "$APP_PID" # a draw in progress asks before closing; the recordings are complete already
wait "$APP_PID" 2>/dev/null || true
APP_PID=""
release_readers

STEP="what was played"
SCROLL=$(seconds "$REC/player-1.raw")
WIN=$(seconds "$REC/player-2.raw")
echo "scroll music ${SCROLL} s (loudness $(loudness "$REC/player-1.raw")), fanfare ${WIN} s"
# The names scrolled 5 s in all; the rest of the 14 s the scroll music waited, paused.
between "$SCROLL" 4.3 5.9 || fail "the scroll music played ${SCROLL} s while names scrolled 5 s"
between "$(loudness "$REC/player-1.raw")" 0.01 1 || fail "the scroll music is silent"
# The 4 s fanfare played whole after the first stop, and from its start again after the second, until the end.
between "$WIN" 5.3 6.7 || fail "the fanfare played ${WIN} s over two stops"
between "$(loudness "$REC/player-2.raw")" 0.01 1 || fail "the fanfare is silent"
[ ! -s "$REC/player-3.raw" ] || fail "a third player sounded"
[ ! -f "$RUN/kelvora.log" ] || fail "music problems were logged: $(cat "$RUN/kelvora.log")"
echo "PASS"
