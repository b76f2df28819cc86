#!/usr/bin/env bash
# Start-up time: from exec to the editor shown (the frame is mapped once the
# editor sits in it), median over runs, in a private X server and registry.
set -euo pipefail
build=$1
runs=${RUNS:-15}
tmp=$(mktemp -d)
trap 'kill $xvfb 2>/dev/null || true; rm -rf "$tmp"' EXIT
display=:$((100 + RANDOM % 400))
Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
sleep 1
export DISPLAY=$display HOME=$tmp/home XDG_CONFIG_HOME=$tmp/config XDG_CACHE_HOME=$tmp/cache
export VEXILO_REGISTRY_DIR=$tmp/registry
mkdir -p "$HOME"
"$build/app/vexilo-cube" regsvr "$build/app/libPressola.so" >/dev/null
times=()
for _ in $(seq "$runs"); do
  start=$(date +%s%N)
  "$build/app/vexilo" >/dev/null 2>&1 &
  pid=$!
  until xdotool search --onlyvisible --name "Vexilo" >/dev/null 2>&1; do sleep 0.005; done
  end=$(date +%s%N)
  times+=($(( (end - start) / 1000000 )))
  kill -TERM "$pid"; wait "$pid" 2>/dev/null || true
done
sorted=($(printf '%s\n' "${times[@]}" | sort -n))
echo "start-up to editor shown: median ${sorted[$((runs / 2))]} ms over $runs runs (min ${sorted[0]} ms, max ${sorted[$((runs - 1))]} ms); target < 300 ms"
