#!/usr/bin/env bash
# Binary to binary at disk speed: a full-size Gebco_SandS_blend grid (sparse,
# 466 MB of 2-byte cells), cut to almost the whole globe and written as binary
# VTK floats, against `cat` reading the same input and writing the same
# number of output bytes. Also a full SRTM30+-sized globe to ESRI Float for
# peak memory, and VTK ASCII output for values per second.
#
#   bash bench/transfer_bench.sh [build-dir] [runs]
set -euo pipefail
build=${1:-build}
runs=${2:-5}
bin=$(cd "$build/src" && pwd)
source "$(dirname "$0")/timing.sh"
work=$(mktemp -d "${TMPDIR:-/tmp}/depthgrid-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
cd "$work"

# Blend: 10800 rows of 21600 big-endian cells; a few known cells so that the
# data are not all holes.
truncate -s $((21600 * 10800 * 2)) blend.bin
printf '\x01\x02\x03\x04' | dd of=blend.bin bs=1 seek=$((5000 * 43200 + 1000)) conv=notrunc status=none
in_bytes=$(stat -c %s blend.bin)


convert() { "$bin/blend2vtk" -w -179.9 -e 179.9 -s -89.9 -n 89.9 blend.bin out.vtk; }
convert
out_bytes=$(stat -c %s out.vtk)
# The bytes go through user space, as the converter's must: cat writing
# straight into a file lets the kernel copy them (copy_file_range) without
# reading them, so the copy goes through a pipe.
baseline() { { cat blend.bin; head -c $((out_bytes - in_bytes)) /dev/zero; } | cat > out.cat; }

cat blend.bin > /dev/null  # warm the page cache for both
t_convert=$(best convert)
t_cat=$(best baseline)
echo "blend -> binary VTK floats: input $in_bytes bytes, output $out_bytes bytes"
echo "  depthgrid  ${t_convert} s"
echo "  cat        ${t_cat} s   (same input read, same output bytes written)"
awk -v a="$t_convert" -v b="$t_cat" 'BEGIN { printf "  ratio      %.2f x cat\n", a / b }'
rm -f out.vtk out.cat

# Peak memory on a full SRTM30+ globe (1.9 GB of 2-byte cells) to ESRI Float.
truncate -s $((43200 * 21600 * 2)) srtm.bin
/usr/bin/time -f "%M" -o rss.txt "$bin/srtm2flt" -pp srtm.bin globe.flt
echo "SRTM30+ full globe -> ESRI Float: $(stat -c %s globe.flt) bytes, peak RSS $(cat rss.txt) KiB"
rm -f globe.flt globe.hdr srtm.bin

# Text output: values per second for VTK ASCII floats, on 1000 rows of
# random cells (rows 2000..2999, 56.67N..40.02N).
head -c $((1000 * 43200)) /dev/urandom | dd of=blend.bin bs=43200 seek=2000 conv=notrunc status=none
ascii() { "$bin/blend2vtk" -a -w -180 -e 179.9 -s 40.1 -n 56.6 blend.bin out.txt; }
t_ascii=$(best ascii)
cells=$(( 21595 * 991 ))
awk -v t="$t_ascii" -v n="$cells" 'BEGIN { printf "blend -> VTK ASCII: %d values in %.3f s = %.1f million values/s\n", n, t, n / t / 1e6 }'
