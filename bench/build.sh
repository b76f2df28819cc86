#!/usr/bin/env bash
# A build of six distinct 24-megapixel JPEGs by `vexilo-cube build`, beside
# its floor (libjpeg-turbo decoding the same six photos at 1/8 scale one
# after another, `djpeg -scale 1/8`) and vipsthumbnail making the same twelve
# pictures (six of 250 and six of 208 pixels): whole processes, alternating,
# medians of wall time, CPU time (user + system) and peak memory.
# Targets: wall <= 0.6x the floor, CPU <= 1.2x the floor, peak < 80 MB.
set -euo pipefail
build=$(cd "$1" && pwd)
runs=${RUNS:-7}
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

/usr/bin/python3 - "$tmp" <<'PY'
import sys
from PIL import Image
folder = sys.argv[1]
for n in range(1, 7):
    base = Image.linear_gradient("L").resize((6000, 4000)).convert("RGB")
    noise = Image.effect_noise((6000, 4000), 24 + n).convert("RGB")
    tint = Image.new("RGB", (6000, 4000), (40 * n % 256, 90, 200 - 20 * n))
    Image.blend(Image.blend(base, noise, 0.35), tint, 0.3).save(f"{folder}/photo{n}.jpg", "JPEG", quality=90)
PY
# The three jobs, each as a script of its own.
faces=""
for n in 1 2 3 4 5 6; do faces+=" --face $n=$tmp/photo$n.jpg"; done
echo "\"$build/app/vexilo-cube\" build$faces --out \"$tmp/out\" 2>/dev/null" > "$tmp/build"
echo "for p in \"$tmp\"/photo?.jpg; do djpeg -scale 1/8 \"\$p\" > /dev/null; done" > "$tmp/floor"
printf 'vipsthumbnail -s %sx%s -o "%s/%%s-%s.jpg[Q=90]" "%s"/photo?.jpg\n' 250 250 "$tmp" 250 "$tmp" 208 208 "$tmp" 208 "$tmp" > "$tmp/vips"

# Appends "wall_ms cpu_ms peak_kb" of one run of the job to $tmp/JOB.times.
measure() {
  /usr/bin/time -f "%e %U %S %M" -o "$tmp/time" bash "$tmp/$1" >/dev/null
  read -r wall user sys mem < "$tmp/time"
  awk -v w="$wall" -v u="$user" -v s="$sys" -v m="$mem" 'BEGIN { printf "%d %d %d\n", w * 1000, (u + s) * 1000, m }' >> "$tmp/$1.times"
}
for _ in $(seq "$runs"); do
  measure build
  measure floor
  measure vips
done

median() { sort -n | awk '{ a[NR] = $1 } END { print a[int((NR + 1) / 2)] }'; }
column() { awk -v c="$2" '{ print $c }' "$tmp/$1.times" | median; }
for label in build floor vips; do
  eval "${label}_wall=$(column $label 1) ${label}_cpu=$(column $label 2) ${label}_peak=$(column $label 3)"
done
ratio() { /usr/bin/python3 -c "print(f'{$1 / $2:.2f}')"; }
echo "vexilo-cube build: median ${build_wall} ms wall, ${build_cpu} ms CPU, peak $((build_peak / 1024)) MB"
echo "djpeg -scale 1/8:  median ${floor_wall} ms wall, ${floor_cpu} ms CPU (the floor)"
echo "vipsthumbnail:     median ${vips_wall} ms wall, ${vips_cpu} ms CPU, peak $((vips_peak / 1024)) MB"
echo "over $runs alternating runs each"
status=0
check() { if /usr/bin/python3 -c "import sys; sys.exit(0 if $1 else 1)"; then echo "  ok   $2"; else echo "  MISS $2"; status=1; fi; }
check "$build_wall <= 0.6 * $floor_wall" "wall $(ratio "$build_wall" "$floor_wall")x the floor (target <= 0.6x); $(ratio "$build_wall" "$vips_wall")x vipsthumbnail"
check "$build_cpu <= 1.2 * $floor_cpu" "CPU $(ratio "$build_cpu" "$floor_cpu")x the floor (target <= 1.2x)"
check "$build_peak < 80 * 1024" "peak $((build_peak / 1024)) MB (target < 80 MB)"
exit $status
