#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Measures the running program: CPU share of one core and resident memory while it polls the
# simulated rig, from /proc/PID/stat (utime + stime) over a fixed span.
#   bench/measure-program.sh BUILD_DIR [SECONDS] [FAMILY] [SOUND]
# SOUND: "99" (no sound, the default) or "-1" (default input). Needs Xvfb and xdotool.
set -euo pipefail
build=$(cd "$1" && pwd)
seconds=${2:-60}
family=${3:-0}
sound=${4:-99}

work=$(mktemp -d)
export HOME=$work/home XDG_RUNTIME_DIR=$work/run XDG_CONFIG_HOME=$work/config XDG_CACHE_HOME=$work/cache
mkdir -p "$HOME" "$XDG_RUNTIME_DIR" "$XDG_CONFIG_HOME" "$XDG_CACHE_HOME"
chmod 700 "$XDG_RUNTIME_DIR"

player=
if [[ "$sound" != 99 ]]; then
  # A private sound server whose default input carries a tone in noise for the whole run.
  pulseaudio -n --daemonize=yes --exit-idle-time=-1 --load=module-native-protocol-unix \
    --load="module-null-sink sink_name=rx" \
    --load="module-remap-source master=rx.monitor source_name=rxaudio" >/dev/null 2>&1
  for _ in $(seq 50); do pactl info >/dev/null 2>&1 && break; sleep 0.1; done
  pactl set-default-source rxaudio
  /usr/bin/python3 -c '
import math, random, struct, wave
with wave.open("'"$work"'/rx.wav", "wb") as w:
    w.setnchannels(1); w.setsampwidth(2); w.setframerate(8000)
    w.writeframes(b"".join(struct.pack("<h", int(32767 * (0.05 * math.sin(2 * math.pi * 1270 * n / 8000) + random.gauss(0, 0.02)))) for n in range(8000 * 10)))
'
  (while true; do paplay -d rx --latency-msec=20 "$work/rx.wav" || break; done) &
  player=$!
fi

display=:$((90 + RANDOM % 9))
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
sim=
prog=
cleanup() {
  [[ -n "$player" ]] && kill "$player" 2>/dev/null
  [[ -f "$XDG_RUNTIME_DIR/pulse/pid" ]] && kill "$(cat "$XDG_RUNTIME_DIR/pulse/pid")" 2>/dev/null
  [[ -n "$prog" ]] && kill "$prog" 2>/dev/null
  [[ -n "$sim" ]] && kill "$sim" 2>/dev/null
  kill "$xvfb" 2>/dev/null || true  # Xvfb may be gone already; the run still counts
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
export DISPLAY=$display
sleep 1

"$build/tools/rigsim/veltrane-rigsim" --family "$family" --link "$work/rig" --log "$work/rig.log" >/dev/null 2>&1 &
sim=$!
for _ in $(seq 50); do [[ -e "$work/rig" ]] && break; sleep 0.1; done
printf 'MYCALL=BENCH\r\nCAT=%s\r\nRIG= %s \r\nRS232C=9600,N,8,1\r\nICOM=74\r\nCONTROL=E0\r\n' "$work/rig" "$family" >"$work/Init.cfg"

cd "$work"
start_ns=$(date +%s%N)
"$build/src/veltrane" >/dev/null 2>&1 &
prog=$!
for _ in $(seq 500); do xdotool search --onlyvisible --name "サウンドーボードの選択" >/dev/null 2>&1 && break; sleep 0.01; done
first_window_ms=$(( ($(date +%s%N) - start_ns) / 1000000 ))
win=$(xdotool search --name "サウンドーボードの選択" | head -1)
xdotool windowactivate --sync "$win" 2>/dev/null || true
combo_text=$([[ "$sound" == 99 ]] && echo "99" || echo "-1")
if [[ "$sound" != 99 ]]; then
  xdotool mousemove --window "$win" 74 49 click 1   # keep "-1  Default"
else
# Type the choice into the list's edit field, then press the first button.
xdotool mousemove --window "$win" 180 21 click --repeat 3 1 type "$combo_text"
xdotool mousemove --window "$win" 74 49 click 1
fi
for _ in $(seq 50); do xdotool search --name "Veltrane / " >/dev/null 2>&1 && break; sleep 0.1; done
sleep 2
if [[ "$sound" != 99 ]]; then
  main=$(xdotool search --name "Veltrane / " | head -1)
  xdotool mousemove --window "$main" 445 158 click 1   # "WF": waterfall
fi

ticks=$(getconf CLK_TCK)
read -r u0 s0 < <(awk '{print $14, $15}' "/proc/$prog/stat")
sleep "$seconds"
read -r u1 s1 < <(awk '{print $14, $15}' "/proc/$prog/stat")
rss=$(awk '/VmRSS/ {print $2}' "/proc/$prog/status")
requests=$(grep -c "READ" "$work/rig.log" || true)
cpu=$(LC_ALL=C awk -v d=$(( (u1 + s1) - (u0 + s0) )) -v t="$ticks" -v s="$seconds" 'BEGIN { printf "%.3f", 100 * d / t / s }')
printf 'family %s, sound %s: first window %s ms after start, %s s: CPU %s %% of one core, RSS %s kB, %s read requests logged by the rig\n' \
  "$family" "$sound" "$first_window_ms" "$seconds" "$cpu" "$rss" "$requests"
