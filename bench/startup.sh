#!/usr/bin/env bash
# Start-up time: from exec to the window painted, for Vexilo (the centre of
# its frame is the editor's face 0) and for a bare Qt window of the same title
# and size showing one label, alternating, in one private X server and
# registry, with the same environment. The clock is paint-probe: the window's
# mapping alone does not count, as Qt maps a window before it paints it.
# Target: Vexilo at most 1.5x the bare window (medians).
set -euo pipefail
build=$(cd "$1" && pwd)
runs=${RUNS:-11}
bare=$build/bench-tools/bare-window probe=$build/bench-tools/paint-probe
[ -x "$bare" ] && [ -x "$probe" ] || cmake --build "$build" --target bare-window paint-probe >/dev/null
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

# Milliseconds from exec to the window titled like Vexilo's frame painted.
time_to_paint() { "$probe" Vexilo "$@"; }

# The first start in a fresh X server also starts the session bus there.
time_to_paint "$bare" >/dev/null

vexilo=() anchor=()
for _ in $(seq "$runs"); do
  vexilo+=("$(time_to_paint "$build/app/vexilo")")
  anchor+=("$(time_to_paint "$bare")")
done
median() { printf '%s\n' "$@" | sort -n | awk '{ a[NR] = $1 } END { print a[int((NR + 1) / 2)] }'; }
v=$(median "${vexilo[@]}"); b=$(median "${anchor[@]}")
ratio=$(/usr/bin/python3 -c "print(f'{$v / $b:.2f}')")
echo "start-up to the window painted: vexilo median $v ms, bare Qt window median $b ms, ${ratio}x over $runs alternating runs each (target <= 1.5x)"
echo "  vexilo: ${vexilo[*]}"
echo "  bare:   ${anchor[*]}"
/usr/bin/python3 -c "import sys; sys.exit(0 if $v <= 1.5 * $b else 1)" && echo "  ok" || { echo "  MISS"; exit 1; }
