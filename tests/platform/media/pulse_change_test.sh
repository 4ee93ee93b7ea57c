#!/usr/bin/env bash
# Changes heard at once through a private PulseAudio server with a null sink: a
# noise file plays through Brelwick while the server's monitor is recorded, then the
# recording is compared with the file (see PulseChangeHost.cpp).
# Usage: pulse_change_test.sh HOST PLUGIN_FOLDER   (exit 77 = skipped)
set -u
host=$1
plugins=$2
. "$(dirname "$0")/private_pulse.sh"
start_pulse_or_skip

ffmpeg -nostdin -loglevel error -y -f lavfi -i "anoisesrc=duration=11.5:color=pink:amplitude=0.3:seed=7:sample_rate=44100" \
  -ac 2 -c:a pcm_s16le "$work/noise.wav" || fail "ffmpeg"
# One round: record the monitor while the host plays and changes, then compare.
# $1: play (each kind of change once) or drag (a burst of volume changes).
attempt() {
  local mode=${1:-play} check=check
  [ "$mode" = drag ] && check=checkdrag
  rm -f "$work/rec.wav" "$work/changes.log"
  parec --latency-msec=10 -d null.monitor --file-format=wav "$work/rec.wav" &
  parec_pid=$!
  sleep 0.3
  "$host" "$mode" "$plugins" "$work/noise.wav" "$work/changes.log" || fail "$mode exited with $?"
  sleep 0.5
  kill -INT "$parec_pid"; wait "$parec_pid" 2>/dev/null; parec_pid=""
  [ "$mode" = play ] && cat "$work/changes.log"
  "$host" "$check" "$work/noise.wav" "$work/rec.wav" "$work/changes.log"
}

# A burst of changes must leave the server's requests for more sound in step:
# no underrun, so no gap, in any round.
for round in 1 2; do
  attempt drag || fail "a gap after a drag of the volume (round $round)"
done

# How soon a change is heard also depends on when the scheduler runs the player's
# threads; a machine busy with other work can delay one round, so up to three
# rounds are played and one within every bound passes. A real fault fails all.
for round in 1 2 3; do
  if attempt; then echo "PASS"; exit 0; fi
  echo "round $round out of bounds"
done
fail "every round out of bounds"
