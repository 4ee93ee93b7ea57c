#!/usr/bin/env bash
# The playback stream's life on a real sound server, for Dovrel (WMA) and Brelwick
# (MP3): a private PulseAudio daemon with a null sink, inspected with pactl.
# Usage: pulse_lifecycle_test.sh HOST PLUGIN_FOLDER   (exit 77 = skipped)
set -u
host=$1
plugins=$2
. "$(dirname "$0")/private_pulse.sh"
start_pulse_or_skip

make() { ffmpeg -nostdin -loglevel error -y -f lavfi -i "sine=frequency=$2:duration=$3" -ac 2 $4 "$work/$1" || fail "ffmpeg $1"; }
make a.wma 440 3 "-c:a wmav2 -b:a 128k"
make b.wma 660 1 "-c:a wmav2 -b:a 128k"
make a.mp3 440 3 "-c:a libmp3lame -b:a 128k"
make b.mp3 660 1 "-c:a libmp3lame -b:a 128k"
for kind in wma mp3; do
  echo "== $kind"
  "$host" "$plugins" "$work/a.$kind" "$work/b.$kind" || fail "$kind: the stream's life was not as expected"
done
# A device that holds a second and a half of sound (the server gives it what the
# queue has beyond two requests): the server then reports a stream that ran dry as
# never quite played, and the end of a track must still come, once it was heard.
echo "== mp3, a device with a long buffer"
TARNELLO_PULSE_QUEUE_MS=3500 timeout 60 "$host" "$plugins" "$work/a.mp3" "$work/b.mp3" ||
  fail "the end of a track never came with a device that holds a second and a half"
echo "PASS"
