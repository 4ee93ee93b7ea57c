#!/usr/bin/env bash
# Dovrel through a real sound server: a private PulseAudio daemon with a null sink
# plays a 1 kHz WMA sine, whose monitor is recorded and measured. Then, with the
# server gone and no TARNELLO_AUDIO, Dovrel must say once that it cannot play and
# claim nothing.
# Usage: pulse_system_test.sh HOST PLUGIN_FOLDER   (exit 77 = skipped)
set -u
host=$1
plugins=$2
. "$(dirname "$0")/private_pulse.sh"
start_pulse_or_skip

ffmpeg -nostdin -loglevel error -y -f lavfi -i sine=frequency=1000:duration=3 -c:a wmav2 -b:a 128k \
  "$work/sine.wma" || fail "ffmpeg"

parec --latency-msec=10 -d null.monitor --file-format=wav "$work/rec.wav" &
parec_pid=$!
sleep 0.3
"$host" "$plugins" "$work/sine.wma" >"$work/host.log" 2>&1
code=$?
sleep 0.3
kill -INT "$parec_pid"; wait "$parec_pid" 2>/dev/null; parec_pid=""
cat "$work/host.log"
[ "$code" -eq 0 ] || fail "host exited with $code"
# The position is what the server has played: never ahead of the clock (the output
# latency is taken off), and advancing in real time. (An idle null sink takes up to
# a second to start, so the first reading may lag the clock by that much.)
positions=$(awk '/^position/ {print $2, $4}' "$work/host.log" | tr '\n' ' ')
read -r p1 e1 p2 e2 <<<"$positions"
[ -n "${e2:-}" ] || fail "no positions reported"
[ "$p1" -le "$e1" ] && [ "$p2" -le "$e2" ] || fail "position ahead of the clock: $positions"
delta=$(( (p2 - p1) - (e2 - e1) ))
[ "${delta#-}" -le 150 ] || fail "position did not follow the clock: $positions"

# Level and pitch of the part that holds the tone (silence at both ends cut off).
sox "$work/rec.wav" "$work/tone.wav" silence 1 0.05 1% reverse silence 1 0.05 1% reverse remix 1
stats=$(sox "$work/tone.wav" -n stat 2>&1)
echo "$stats"
length=$(echo "$stats" | awk '/^Length/ {print $3}')
rms=$(echo "$stats" | awk '/^RMS +amplitude/ {print $3}')
peak=$(echo "$stats" | awk '/^Maximum amplitude/ {print $3}')
freq=$(echo "$stats" | awk '/^Rough +frequency/ {print $3}')
# ffmpeg's sine has amplitude 1/8: RMS 0.0884 at full volume.
awk -v l="$length" -v r="$rms" -v p="$peak" -v f="$freq" 'BEGIN {
  ok = (l > 2.8 && l < 3.3) && (r > 0.080 && r < 0.097) && (p > 0.115 && p < 0.135) && (f > 950 && f < 1050);
  exit ok ? 0 : 1 }' || fail "recorded tone: length $length rms $rms peak $peak frequency $freq"

# The sound server restarts during playback: the output reconnects and the rest of
# the track is heard on the new server.
ffmpeg -nostdin -loglevel error -y -f lavfi -i sine=frequency=1000:duration=6 -c:a wmav2 -b:a 128k \
  "$work/sine6.wma" || fail "ffmpeg"
"$host" "$plugins" "$work/sine6.wma" >"$work/host-restart.log" 2>&1 &
host_pid=$!
sleep 1.5
kill "$pulse_pid"; wait "$pulse_pid" 2>/dev/null
start_pulse
parec --latency-msec=10 -d null.monitor --file-format=wav "$work/rec2.wav" &
parec_pid=$!
wait "$host_pid"
code=$?
sleep 0.3
kill -INT "$parec_pid"; wait "$parec_pid" 2>/dev/null; parec_pid=""
[ "$code" -eq 0 ] || fail "host exited with $code after the server restarted"
sox "$work/rec2.wav" "$work/tone2.wav" silence 1 0.05 1% reverse silence 1 0.05 1% reverse remix 1
stats=$(sox "$work/tone2.wav" -n stat 2>&1)
length=$(echo "$stats" | awk '/^Length/ {print $3}')
rms=$(echo "$stats" | awk '/^RMS +amplitude/ {print $3}')
echo "after the restart: length $length rms $rms"
awk -v l="$length" -v r="$rms" 'BEGIN { exit (l > 1.5 && r > 0.080 && r < 0.097) ? 0 : 1 }' ||
  fail "no tone after the server restarted: length $length rms $rms"

# No server and no override: one message, no claims, no WMA in the filter.
kill "$pulse_pid"; wait "$pulse_pid" 2>/dev/null; pulse_pid=""
export TARNELLO_MESSAGE_LOG=$work/boxes.txt
start=$(date +%s)
"$host" "$plugins" "$work/sine.wma" >"$work/host2.log" 2>&1
code=$?
elapsed=$(( $(date +%s) - start ))
cat "$work/host2.log"
[ "$code" -eq 2 ] || fail "without a server the path was not refused (exit $code)"
[ "$elapsed" -le 10 ] || fail "start-up without a server took ${elapsed}s"
grep -q '^filter All supported types|||$' "$work/host2.log" || fail "filter still offers WMA"
expected=$(printf ' Error! / Dovrel.so\tWindows Media Player Control for PocketIE 가 설치 되어 있지 않아\\nwma를 재생할수 없습니다.')
[ "$(wc -l <"$work/boxes.txt")" -eq 1 ] || fail "expected one message, got: $(cat "$work/boxes.txt")"
[ "$(cat "$work/boxes.txt")" = "$expected" ] || fail "message was: $(cat "$work/boxes.txt")"
echo "PASS"
