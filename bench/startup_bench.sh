#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The Quillmark developers
# SPDX-License-Identifier: GPL-3.0-or-later
# Start-up of the built app, from launch to its first window mapped and
# viewable: one first launch (cold caches) shown apart, then the median of
# nine. Run it under scripts/with-xvfb, which gives it a private display.
# The window is found by polling xdotool, a few milliseconds per look, so
# times are good to about 5 ms.
#   bench/startup_bench.sh APP
set -u
export LC_ALL=C  # EPOCHREALTIME with a '.' whatever the locale
app=${1:?usage: startup_bench.sh APP}
[ -n "${DISPLAY:-}" ] && command -v xdotool >/dev/null ||
  { echo "Start-up: skipped, it needs xdotool and a display (scripts/with-xvfb)"; exit 0; }

# Prints the milliseconds from launch to a viewable window, then stops the app.
launch() {
  local start=${EPOCHREALTIME/./} pid
  "$app" >/dev/null 2>&1 &
  pid=$!
  until xdotool search --onlyvisible --classname '^quillmark$' >/dev/null 2>&1; do
    if ! kill -0 $pid 2>/dev/null || [ $((${EPOCHREALTIME/./} - start)) -gt 20000000 ]; then
      echo "Start-up: $app showed no window within 20 s" >&2
      kill $pid 2>/dev/null
      return 1
    fi
  done
  echo $(((${EPOCHREALTIME/./} - start + 500) / 1000))
  kill $pid
  wait $pid 2>/dev/null || true
}

first=$(launch) || exit 1
times=()
for _ in 1 2 3 4 5 6 7 8 9; do times+=("$(launch)") || exit 1; done
median=$(printf '%s\n' "${times[@]}" | sort -n | sed -n 5p)
echo "Start-up to first window: $median ms, median of 9 launches (first launch $first ms; all: ${times[*]})"
