#!/usr/bin/env bash
# The playback stream's life on a real sound server, for Dovrel (WMA) and Brelwick
# (MP3): a private PulseAudio daemon with a null sink, inspected with pactl.
# Usage: pulse_lifecycle_test.sh HOST PLUGIN_FOLDER   (exit 77 = skipped)
set -u
host=$1
plugins=$2
work=$(mktemp -d)
pulse_pid=""
cleanup() {
  [ -n "$pulse_pid" ] && kill "$pulse_pid" 2>/dev/null && wait "$pulse_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; exit 1; }

unset TARNELLO_AUDIO PULSE_SERVER
export XDG_RUNTIME_DIR=$work/run HOME=$work
mkdir -m 0700 "$XDG_RUNTIME_DIR"
pulseaudio -n --daemonize=no --exit-idle-time=-1 --disallow-exit --use-pid-file=no \
  -L module-native-protocol-unix \
  -L "module-null-sink sink_name=null rate=44100 channels=2 format=s16le" >>"$work/pulse.log" 2>&1 &
pulse_pid=$!
for _ in $(seq 50); do pactl info >/dev/null 2>&1 && break; sleep 0.1; done
if ! pactl info >/dev/null 2>&1; then echo "SKIP: pulseaudio cannot start here"; cat "$work/pulse.log"; exit 77; fi
pactl set-default-sink null

make() { ffmpeg -nostdin -loglevel error -y -f lavfi -i "sine=frequency=$2:duration=$3" -ac 2 $4 "$work/$1" || fail "ffmpeg $1"; }
make a.wma 440 3 "-c:a wmav2 -b:a 128k"
make b.wma 660 1 "-c:a wmav2 -b:a 128k"
make a.mp3 440 3 "-c:a libmp3lame -b:a 128k"
make b.mp3 660 1 "-c:a libmp3lame -b:a 128k"
for kind in wma mp3; do
  echo "== $kind"
  "$host" "$plugins" "$work/a.$kind" "$work/b.$kind" || fail "$kind: the stream's life was not as expected"
done
echo "PASS"
