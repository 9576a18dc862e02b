#!/usr/bin/env bash
# Text grids both ways, side by side with gdal_translate and cat in one run:
#   input  - ESRI ASCII to ESRI Float on the 10000 x 1400 grid of
#            text_grid_bench.sh, on a 4000 x 4000 grid of values like
#            -1234.56 (one row a line), the same wrapped at 10 values a line,
#            and the ASCII VTK of the 4000 x 4000 grid to binary VTK: MB/s of
#            input text;
#   output - ESRI Float 4000 x 4000 to ESRI ASCII and to ASCII VTK: million
#            values/s;
#   binary - ESRI Float 4000 x 4000 to binary VTK against cat of the same
#            bytes.
# Best wall time of several runs, and the peak resident memory of each. With
# a second build directory its figures are shown beside (before and after).
#
#   bash bench/text_speed_bench.sh [build-dir] [runs] [other-build-dir]
set -euo pipefail
build=${1:-build}
runs=${2:-5}
bin=$(cd "$build/src" && pwd)
old=
if [ -n "${3:-}" ]; then old=$(cd "$3/src" && pwd); fi
source "$(dirname "$0")/timing.sh"
work=$(mktemp -d "${TMPDIR:-/tmp}/depthgrid-text-speed.XXXXXX")
trap 'rm -rf "$work"' EXIT
cd "$work"

header() { printf 'ncols %d\nnrows %d\nxllcorner -20\nyllcorner 40\ncellsize 0.01\nNODATA_value -9999\n' "$1" "$2"; }
bench_rows 10000 1400 1 > body.txt
{ header 10000 1400; cat body.txt; } > bench.asc
awk 'BEGIN {
  srand(2)
  for (r = 0; r < 4000; ++r) {
    line = sprintf("%.2f", -1000 - rand() * 8999)
    for (c = 1; c < 4000; ++c) line = line " " sprintf("%.2f", (rand() < 0.5 ? -1 : 1) * (1000 + rand() * 8999))
    print line
  }
}' > body.txt
{ header 4000 4000; cat body.txt; } > g4k.asc
{ header 4000 4000; awk '{ n = split($0, a, " "); for (i = 1; i <= n; i += 10) {
    s = a[i]; for (j = i + 1; j < i + 10 && j <= n; ++j) s = s " " a[j]; print s } }' body.txt; } > wrap.asc
rm body.txt
"$bin/esri2vtk" -a g4k.asc g4k.vtk
"$bin/esri2flt" g4k.asc g4k.flt
cp g4k.flt gdal.flt && cp g4k.hdr gdal.hdr  # gdal reads the pair as EHdr
have_gdal=
if command -v gdal_translate >/dev/null 2>&1; then have_gdal=1; fi

peak() { /usr/bin/time -f %M "$@" 2>&1 >/dev/null | tail -1; }  # KiB
mbs() { awk -v b="$1" -v s="$2" 'BEGIN { printf "%6.0f MB/s", b / 1e6 / s }'; }
mvs() { awk -v s="$1" 'BEGIN { printf "%6.1f M values/s", 16 / s }'; }
# CPU seconds (user + system) of one run: on a busy machine the wall time
# also counts the waits for a core.
cpu() { /usr/bin/time -f '%U %S' "$@" 2>&1 >/dev/null | tail -1 | awk '{ printf "cpu %.2f s", $1 + $2 }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.1f", a / b }'; }

# One line per case: ours (and the other build's), cat of the input, gdal.
input_case() {  # name file converter output gdal-format
  local name=$1 file=$2 conv=$3 out=$4 bytes t t_old= t_cat t_gdal=
  bytes=$(stat -c %s "$file")
  ours() { "$bin/$conv" "$file" "$out"; }
  theirs() { "$old/$conv" "$file" "$out"; }
  readall() { cat "$file" > /dev/null; }
  gdal() { gdal_translate -q -of EHdr -ot Float32 "$file" gdal_out.flt; }
  t=$(best ours)
  if [ -n "$old" ]; then t_old=$(best theirs); fi
  t_cat=$(best readall)
  if [ -n "$have_gdal" ] && [ "$5" = yes ]; then t_gdal=$(best gdal); fi
  printf '%-28s %6.3f s %s  %s  peak %s KiB' "$name" "$t" "$(mbs "$bytes" "$t")" "$(cpu "$bin/$conv" "$file" "$out")" \
    "$(peak "$bin/$conv" "$file" "$out")"
  if [ -n "$t_old" ]; then
    printf '  | before %6.3f s %s  %s' "$t_old" "$(mbs "$bytes" "$t_old")" "$(cpu "$old/$conv" "$file" "$out")"
  fi
  if [ -n "$t_gdal" ]; then printf '  | gdal %6.3f s = %sx' "$t_gdal" "$(ratio "$t_gdal" "$t")"; fi
  printf '  | cat %5.3f s\n' "$t_cat"
}

echo "best of $runs runs; input $(stat -c %s bench.asc) / $(stat -c %s g4k.asc) / $(stat -c %s wrap.asc) / $(stat -c %s g4k.vtk) bytes"
input_case "ESRI ASCII bench grid" bench.asc esri2flt out.flt yes
input_case "ESRI ASCII 4000x4000" g4k.asc esri2flt out.flt yes
input_case "ESRI ASCII 10 a line" wrap.asc esri2flt out.flt yes
input_case "ASCII VTK 4000x4000" g4k.vtk depthgrid out.vtk no

output_case() {  # name converter input output
  local name=$1 conv=$2 t t_old=
  shift 2
  ours() { "$bin/$conv" "$@"; }
  theirs() { "$old/$conv" "$@"; }
  t=$(best ours "$@")
  if [ -n "$old" ]; then t_old=$(best theirs "$@"); fi
  printf '%-28s %6.3f s %s  %s  peak %s KiB' "$name" "$t" "$(mvs "$t")" "$(cpu "$bin/$conv" "$@")" \
    "$(peak "$bin/$conv" "$@")"
  if [ -n "$t_old" ]; then printf '  | before %6.3f s %s  %s' "$t_old" "$(mvs "$t_old")" "$(cpu "$old/$conv" "$@")"; fi
  printf '\n'
}
output_case "ESRI Float -> ESRI ASCII" arc2ascii g4k.flt out.asc
output_case "ESRI Float -> ASCII VTK" esri2vtk -a g4k.flt out.vtk
if [ -n "$have_gdal" ]; then
  gdal_out() { gdal_translate -q -of AAIGrid gdal.flt gdal_out.asc; }
  t_gdal=$(best gdal_out)
  printf '%-28s %6.3f s %s  %s\n' "gdal EHdr -> AAIGrid" "$t_gdal" "$(mvs "$t_gdal")" \
    "$(cpu gdal_translate -q -of AAIGrid gdal.flt gdal_out.asc)"
fi

# Binary: ESRI Float to binary VTK floats against cat of the same bytes.
bin_vtk() { "$bin/esri2vtk" g4k.flt out.vtk; }
bin_vtk
# The bytes go through user space, as a converter's must: `cat a > b` between
# two files lets the kernel copy them (copy_file_range) without reading them.
# dd with 1 MiB blocks is one process reading into memory and writing from
# it, the converter's own work (the 250 header bytes aside); a pipe of two
# cats, also shown, gets the second core's help.
baseline() { dd if=g4k.flt of=out.cat bs=1M status=none; }
cat_pipe() { cat g4k.flt | cat > out.cat; }
t=$(best bin_vtk)
t_cat=$(best baseline)
t_pipe=$(best cat_pipe)
printf '%-28s %6.3f s  dd %6.3f s = %s x dd  (cat | cat %6.3f s)  peak %s KiB\n' "ESRI Float -> binary VTK" "$t" \
  "$t_cat" "$(awk -v a="$t" -v b="$t_cat" 'BEGIN { printf "%.2f", a / b }')" "$t_pipe" "$(peak "$bin/esri2vtk" g4k.flt out.vtk)"
