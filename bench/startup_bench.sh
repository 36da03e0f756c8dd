#!/usr/bin/env bash
# Start-up time of the built application: from launch to its first window
# being mapped and viewable on a private Xvfb display, over several launches.
# The first launch (cold caches) is shown apart; the figure is the median of
# the rest. Copied into the build's bench/ as `startup_bench`, so the runner
# takes it for one of the benchmarks and passes --benchmark_out=FILE.
#
#   QUILLMARK_APP           the executable (default: ../app/quillmark beside this script)
#   QUILLMARK_STARTUP_RUNS  timed launches (default 9)
#
# Skips, saying why, when Xvfb or xdotool is missing or the app is not built.
# The window is found by polling xdotool, which itself takes a few
# milliseconds per look: figures are good to about 5 ms.
set -euo pipefail
export LC_ALL=C  # EPOCHREALTIME with a '.' whatever the locale

out=""
for argument in "$@"; do
  case $argument in --benchmark_out=*) out=${argument#--benchmark_out=} ;; esac
done
here=$(cd "$(dirname "$0")" && pwd)
app=${QUILLMARK_APP:-$here/../app/quillmark}
runs=${QUILLMARK_STARTUP_RUNS:-9}
goal_ms=300
timeout_s=20

figure() {  # value goal met
  [ -n "$out" ] || return 0
  printf '{"benchmarks": [], "figures": [\n  {"name": "start-up to first window (median)", "value": "%s", "goal": "%s", "met": %s}\n]}\n' \
    "$1" "$2" "$3" >"$out"
}
skip() {
  echo "start-up: skipped, $1"
  figure "skipped" "< $goal_ms ms" true
  exit 0
}
for tool in Xvfb xdotool; do
  command -v "$tool" >/dev/null || skip "$tool is not installed (scripts/install-deps)"
done
[ -x "$app" ] || skip "$app is not built"

work=$(mktemp -d "${TMPDIR:-/tmp}/quillmark-startup.XXXXXX")
xvfb_pid=""
app_pid=""
cleanup() {
  for pid in $app_pid $xvfb_pid; do
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# -displayfd: the server picks a free display and reports it once it accepts connections.
Xvfb -displayfd 3 -screen 0 1280x900x24 -nolisten tcp -noreset 3>"$work/display" \
  >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
deadline=$((SECONDS + timeout_s))
until [ -s "$work/display" ]; do
  kill -0 "$xvfb_pid" 2>/dev/null || skip "Xvfb did not start: $(tr '\n' ' ' <"$work/xvfb.log")"
  [ $SECONDS -lt $deadline ] || skip "Xvfb reported no display within ${timeout_s}s"
  sleep 0.05
done
export DISPLAY=":$(head -n1 "$work/display")"
unset WAYLAND_DISPLAY
export QT_QPA_PLATFORM=xcb
export XDG_RUNTIME_DIR="$work/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"
class="^$(basename "$app")\$"

micros() { local t=$EPOCHREALTIME; echo "${t/./}"; }

# Sets `elapsed` to the milliseconds from launch to a viewable window, then stops the app.
launch() {
  local start end
  start=$(micros)
  "$app" >"$work/app.log" 2>&1 &
  app_pid=$!
  until xdotool search --onlyvisible --classname "$class" >/dev/null 2>&1; do
    if ! kill -0 "$app_pid" 2>/dev/null; then
      echo "start-up: $app exited before showing a window:" >&2
      cat "$work/app.log" >&2
      return 1
    fi
    if [ $(($(micros) - start)) -gt $((timeout_s * 1000000)) ]; then
      echo "start-up: no window within ${timeout_s}s" >&2
      return 1
    fi
  done
  end=$(micros)
  kill "$app_pid"
  wait "$app_pid" 2>/dev/null || true
  app_pid=""
  elapsed=$(((end - start + 500) / 1000))
}

[ "$runs" -ge 1 ] || runs=1
launch
first=$elapsed
times=()
for ((i = 0; i < runs; i++)); do
  launch
  times+=("$elapsed")
done
mapfile -t sorted < <(printf '%s\n' "${times[@]}" | sort -n)
median=${sorted[$((runs / 2))]}
echo "start-up to first window, ms: first launch $first, then ${times[*]}"
echo "median $median ms (goal < $goal_ms ms)"
met=false
[ "$median" -lt "$goal_ms" ] && met=true
figure "$median ms" "< $goal_ms ms" "$met"
