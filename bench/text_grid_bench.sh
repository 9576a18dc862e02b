#!/usr/bin/env bash
# Text grids at disk speed: an ESRI ASCII grid of about 118 MB (10000 columns
# by 1400 rows, one row per line as most programs write it) converted to ESRI
# Float, and the same grid as ASCII VTK (13 values per line, as this program
# writes it) converted to binary VTK. Figures are MB/s of input text, best of
# several runs, side by side with gdal_translate (AAIGrid to EHdr Float32)
# when it is installed, and the peak resident memory of each conversion.
#
#   bash bench/text_grid_bench.sh [build-dir] [runs]
set -euo pipefail
build=${1:-build}
runs=${2:-5}
bin=$(cd "$build/src" && pwd)
source "$(dirname "$0")/timing.sh"
work=$(mktemp -d "${TMPDIR:-/tmp}/depthgrid-text-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
cd "$work"

# Depths and heights with two decimals; every row is the row before it
# turned by one column, so the text is no simple repetition.
{
  printf 'ncols 10000\nnrows 1400\nxllcorner -20\nyllcorner 40\ncellsize 0.0083333333333\nNODATA_value -9999\n'
  bench_rows 10000 1400 1
} > grid.asc
"$bin/esri2vtk" -a grid.asc grid.vtk

rate() { awk -v b="$1" -v s="$2" 'BEGIN { printf "%.0f", b / 1e6 / s }'; }
peak() { /usr/bin/time -f %M "$@" 2>&1 >/dev/null | tail -1; }  # KiB

esri_to_float() { "$bin/esri2flt" grid.asc out.flt; }
vtk_to_vtk() { "$bin/depthgrid" grid.vtk out.vtk; }
gdal() { gdal_translate -q -of EHdr -ot Float32 grid.asc gdal.flt; }

asc_bytes=$(stat -c %s grid.asc)
vtk_bytes=$(stat -c %s grid.vtk)
printf 'ESRI ASCII input %d bytes, ASCII VTK input %d bytes, best of %d runs\n' "$asc_bytes" "$vtk_bytes" "$runs"

# Interleaved, so that both sides see the same machine.
t_esri=$(best esri_to_float)
t_gdal=
if command -v gdal_translate >/dev/null 2>&1; then t_gdal=$(best gdal); fi
t_vtk=$(best vtk_to_vtk)

printf 'ESRI ASCII -> ESRI Float  %6.3f s  %5s MB/s  peak %s KiB\n' "$t_esri" "$(rate "$asc_bytes" "$t_esri")" \
  "$(peak "$bin/esri2flt" grid.asc out.flt)"
printf 'ASCII VTK  -> binary VTK  %6.3f s  %5s MB/s  peak %s KiB\n' "$t_vtk" "$(rate "$vtk_bytes" "$t_vtk")" \
  "$(peak "$bin/depthgrid" grid.vtk out.vtk)"
if [ -n "$t_gdal" ]; then
  printf 'gdal_translate AAIGrid -> EHdr Float32  %6.3f s  %5s MB/s  peak %s KiB\n' "$t_gdal" \
    "$(rate "$asc_bytes" "$t_gdal")" "$(peak gdal_translate -q -of EHdr -ot Float32 grid.asc gdal.flt)"
  awk -v a="$t_gdal" -v b="$t_esri" 'BEGIN { printf "ESRI ASCII -> Float: %.1f times the speed of gdal_translate\n", a / b }'
  # The same cells: the ESRI Float pair is big-endian, gdal's little-endian.
  if ! cmp -s <(od -An -v -tx4 --endian=big out.flt) <(od -An -v -tx4 --endian=little gdal.flt); then
    echo "note: the Float data differ from gdal_translate's" >&2
  fi
else
  echo "gdal_translate not installed (apt-get install gdal-bin) : no side-by-side figure"
fi
