# Sourced by the sound-server tests: a work folder, a private PulseAudio daemon
# with a null sink named "null" (the default sink), and cleanup of both and of a
# recorder at exit. Sets work, pulse_pid and parec_pid; KEEP=1 keeps the folder.
work=$(mktemp -d)
pulse_pid=""
parec_pid=""
cleanup() {
  [ -n "$parec_pid" ] && kill "$parec_pid" 2>/dev/null
  [ -n "$pulse_pid" ] && kill "$pulse_pid" 2>/dev/null && wait "$pulse_pid" 2>/dev/null
  if [ -n "${KEEP:-}" ]; then echo "kept $work"; else rm -rf "$work"; fi
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; exit 1; }

unset TARNELLO_AUDIO PULSE_SERVER
export XDG_RUNTIME_DIR=$work/run HOME=$work
mkdir -m 0700 "$XDG_RUNTIME_DIR"

# Starts the daemon; 1 when it does not answer within five seconds.
start_pulse() {
  pulseaudio -n --daemonize=no --exit-idle-time=-1 --disallow-exit --use-pid-file=no \
    -L module-native-protocol-unix \
    -L "module-null-sink sink_name=null rate=44100 channels=2 format=s16le" >>"$work/pulse.log" 2>&1 &
  pulse_pid=$!
  for _ in $(seq 50); do pactl info >/dev/null 2>&1 && break; sleep 0.1; done
  pactl info >/dev/null 2>&1 || return 1
  pactl set-default-sink null
}

# Starts the daemon, or ends the test as skipped (exit 77) where it cannot run.
start_pulse_or_skip() {
  start_pulse && return 0
  echo "SKIP: pulseaudio cannot start here"; cat "$work/pulse.log"; exit 77
}
