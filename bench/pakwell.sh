#!/usr/bin/env bash
# Packing the cube's files into Cube.exe beside `zip -q -9` of the same files, in
# the same run: time (hyperfine, both as whole processes) and size.
# Targets: time within 1.0x of zip -9, size within zip's plus the stub, stub under 100 KB.
set -euo pipefail
build=$(cd "$1" && pwd)
root=$(cd "$(dirname "$0")/.." && pwd)
runs=${RUNS:-40}
pack=$build/bench-tools/pakwell-pack
stub=$build/components/pakwell/stub/CubeStub.exe
[ -x "$pack" ] || cmake --build "$build" --target pakwell-pack >/dev/null
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
files=$tmp/CubeTemp
mkdir -p "$files"

# The work folder after a build: the page and player from the template, six
# ~60 KB face pictures and the 663 x 837 fold-out, as photos make them.
cp "$root/Template/Vexilo.htm" "$files/Vexilo.htm"
cp "$root/Template/vexilo.cls" "$files/imagevexilo.class"
/usr/bin/python3 - "$files" <<'PY'
import random, sys
from PIL import Image, ImageFilter
folder = sys.argv[1]
def photo(width, height, seed, path, quality):
    rnd = random.Random(seed)
    noise = Image.frombytes("RGB", (width, height), bytes(rnd.randrange(256) for _ in range(width * height * 3)))
    base = Image.radial_gradient("L").resize((width, height)).convert("RGB")
    Image.blend(base, noise.filter(ImageFilter.GaussianBlur(0.5)), 0.6).save(path, "JPEG", quality=quality)
for n in range(1, 7):
    photo(250, 250, n, f"{folder}/image{n}.jpg", 96)
photo(663, 837, 7, f"{folder}/cubefold.jpg", 75)
PY

list=$(printf "$files/%s|" Vexilo.htm imagevexilo.class image{1..6}.jpg cubefold.jpg)
list=${list%|}
names=(Vexilo.htm imagevexilo.class image{1..6}.jpg cubefold.jpg)
cd "$files"
ls -l "${names[@]}" | awk '{ printf "  %-20s %8d bytes\n", $9, $5 }'

hyperfine -N --warmup 5 --runs "$runs" --export-json "$tmp/times.json" \
  --prepare "rm -f $tmp/Cube.zip $tmp/Cube.exe" \
  -n pakwell "$pack $tmp/Cube.exe '$list'" \
  -n "zip -q -9" "zip -q -9 $tmp/Cube.zip ${names[*]}"

# The files to measure (each run's preparation removed the last ones).
rm -f "$tmp/Cube.zip"
"$pack" "$tmp/Cube.exe" "$list"
zip -q -9 "$tmp/Cube.zip" "${names[@]}"
unzip -tq "$tmp/Cube.exe" >/dev/null
# Wall-clock medians are reported; the target is checked on CPU time (user +
# system, mean), which other work on a shared machine does not distort.
read -r pakwell_ms zip_ms pakwell_cpu zip_cpu < <(/usr/bin/python3 -c "
import json
r = {x['command']: x for x in json.load(open('$tmp/times.json'))['results']}
wall = lambda c: r[c]['median'] * 1000
cpu = lambda c: (r[c]['user'] + r[c]['system']) * 1000
print(f\"{wall('pakwell'):.1f} {wall('zip -q -9'):.1f} {cpu('pakwell'):.1f} {cpu('zip -q -9'):.1f}\")")
exe_size=$(stat -c %s "$tmp/Cube.exe")
zip_size=$(stat -c %s "$tmp/Cube.zip")
stub_size=$(stat -c %s "$stub")
ratio=$(/usr/bin/python3 -c "print(f'{$pakwell_cpu / $zip_cpu:.2f}')")

status=0
check() { if [ "$1" = yes ]; then echo "  ok   $2"; else echo "  MISS $2"; status=1; fi; }
echo "pakwell: median $pakwell_ms ms wall, $pakwell_cpu ms CPU, Cube.exe $exe_size bytes (stub $stub_size bytes)"
echo "zip -q -9: median $zip_ms ms wall, $zip_cpu ms CPU, Cube.zip $zip_size bytes"
check "$(/usr/bin/python3 -c "print('yes' if $pakwell_cpu <= $zip_cpu else 'no')")" "CPU time ${ratio}x of zip's (target <= 1.0x)"
check "$([ "$exe_size" -le $((zip_size + stub_size)) ] && echo yes || echo no)" "size $exe_size <= zip $zip_size + stub $stub_size = $((zip_size + stub_size))"
check "$([ "$stub_size" -lt 102400 ] && echo yes || echo no)" "stub $stub_size bytes < 100 KB"
exit $status
