#!/usr/bin/env python3
"""Writes the seed corpora of the fuzz targets.

    make_corpus.py <converter_fuzzer> <output folder>

Makes <output folder>/converter, token_reader and command_line. The
converter seeds are valid inputs of every variant the readers accept (VTK
binary and ASCII with float and short cells, ESRI ASCII with corner and
centre origins, ESRI Float pairs in both byte orders, GRD98 in both byte
orders with 2-byte, 4-byte and float cells, KMS2002), small global grids for
the date-line windows, each behind every selector byte whose command line
reads that kind of input. The table of command lines comes from the
converter target itself (DEPTHGRID_FUZZ_COMMANDS), so the two cannot drift
apart. The raw global datasets are far too big for a fuzzer and have no
seeds.
"""
import os
import shutil
import struct
import subprocess
import sys

# ---- VTK ----------------------------------------------------------------------


def ramp(n, scale=1.0, offset=0.0):
    """Values with both signs, a zero and fractions."""
    return [offset + scale * ((i * 37) % 23 - 11) / 4 for i in range(n)]


def text_values(values, per_line=13, short=False):
    words = ["%d" % int(v) if short else "%g" % v for v in values]
    return "\n".join(" ".join(words[i:i + per_line]) for i in range(0, len(words), per_line)) + "\n"


def vtk(nx, ny, binary, short, spacing=(0.5, 0.5), origin=(10, 50), values=None,
        crlf=False, lower=False, comment=False):
    n = nx * ny
    values = values if values is not None else ramp(n, 100 if short else 1)
    keys = ["DIMENSIONS %d %d 1" % (nx, ny)]
    if n > 1:
        keys.append("SPACING %g %g 0" % spacing)
    keys += ["ORIGIN %g %g 0" % origin, "POINT_DATA %d" % n,
             "SCALARS scalars %s%s" % ("short" if short else "float", "" if short else " 1"),
             "LOOKUP_TABLE default"]
    if lower:
        keys = [k.split(" ", 1)[0].lower() + " " + k.split(" ", 1)[1] for k in keys]
    if comment:
        keys = [k + " /* note */" for k in keys]
    lines = ["# vtk DataFile Version 3.0", "seed grid", "BINARY" if binary else "ASCII",
             "DATASET STRUCTURED_POINTS"] + keys
    end = "\r\n" if crlf else "\n"
    head = end.join(lines) + end
    if binary:
        data = b"".join(struct.pack(">h", int(v)) if short else struct.pack(">f", v) for v in values)
        return head.encode() + data
    body = text_values(values, short=short)
    return (head + (body.replace("\n", end))).encode()


def vtk_seeds():
    return {
        "binary-float": vtk(4, 3, True, False),
        "binary-short": vtk(4, 3, True, True),
        "binary-float-crlf": vtk(3, 2, True, False, crlf=True),
        "ascii-float": vtk(5, 4, False, False, lower=True),
        "ascii-short": vtk(5, 4, False, True, comment=True),
        "ascii-float-crlf": vtk(4, 3, False, False, crlf=True),
        "one-cell": vtk(1, 1, True, False),
        "metric": vtk(4, 3, False, False, spacing=(1000, -1000), origin=(500000, 6000000)),
        "global": vtk(36, 18, False, False, spacing=(10, 10), origin=(-180, -85)),
        # Sizes near the limits: the header is sound, the data end early.
        "tall": vtk(2, 3, True, False).replace(b"DIMENSIONS 2 3 1", b"DIMENSIONS 4 2000000000 1"),
    }

# ---- ESRI -----------------------------------------------------------------------


def esri_head(ncols, nrows, x, y, cellsize, corner=True, nodata="-9999", upper=False):
    keys = [("ncols", ncols), ("nrows", nrows), ("xllcorner" if corner else "xllcenter", x),
            ("yllcorner" if corner else "yllcenter", y), ("cellsize", cellsize)]
    if nodata is not None:
        keys.append(("NODATA_value", nodata))
    return "".join("%-13s %s\n" % ((k.upper() if upper else k), v) for k, v in keys)


def esri_ascii(ncols, nrows, x, y, cellsize, crlf=False, **kw):
    values = ramp(ncols * nrows, 10)
    values[1] = -9999
    text = esri_head(ncols, nrows, x, y, cellsize, **kw) + text_values(values, per_line=ncols)
    return (text.replace("\n", "\r\n") if crlf else text).encode()


def esri_ascii_seeds():
    return {
        "corner": esri_ascii(4, 3, 10, 50, 0.5),
        "centre-no-nodata": esri_ascii(5, 4, -10.25, -5.25, 0.5, corner=False, nodata=None),
        "upper-crlf": esri_ascii(4, 3, 10, 50, 0.25, upper=True, crlf=True),
        "global": esri_ascii(36, 18, -180, -90, 10),
        "from-zero": esri_ascii(37, 18, 0, -85, 10, corner=False),
        "metric": esri_ascii(4, 3, 400000, 6000000, 100),
        "far-metric": esri_ascii(3, 2, -2000000000, 2000000000, 1000),
    }


def float_pair(ncols, nrows, x, y, cellsize, order):
    """A pair as the converter target takes it: header length, header, data."""
    head = esri_head(ncols, nrows, x, y, cellsize, corner=False)
    if order:
        head += "byteorder     %s\n" % order
    fmt = "<f" if order == "LSBFIRST" else ">f"
    data = b"".join(struct.pack(fmt, v) for v in ramp(ncols * nrows, 10))
    head = head.encode()
    return struct.pack("<H", len(head)) + head + data


def float_pair_seeds():
    return {
        "msbfirst": float_pair(4, 3, 10, 50, 0.5, "MSBFIRST"),
        "lsbfirst": float_pair(4, 3, 10, 50, 0.5, "LSBFIRST"),
        "no-byteorder": float_pair(5, 2, -20, 0, 1, None),
        "global": float_pair(36, 18, -175, -85, 10, "MSBFIRST"),
    }

# ---- KMS2002 --------------------------------------------------------------------


def kms(south, north, west, east, dlat, dlon, preamble=""):
    rows = int((north - south) / dlat + 1.5)
    cols = int((east - west) / dlon + 1.5)
    head = "%s %g %g %g %g %g %g\n" % (preamble, south, north, west, east, dlat, dlon)
    return (head + text_values(ramp(rows * cols), per_line=cols)).encode()


def kms_seeds():
    return {
        "small": kms(50, 51, 10, 12, 0.5, 0.5),
        "comment-first": kms(-1, 1, -2, 2, 1, 1, preamble="/* geoid */\n\n"),
        "global": kms(-80, 80, -180, 180, 20, 20),
        "from-zero": kms(0, 10, 0, 360, 10, 10),
    }

# ---- GRD98 -----------------------------------------------------------------------


def grd98(number_type, big, precision=1, pixel=0, rows=3, cols=4, lat=(51, 0, 0), lon=(10, 0, 0),
          cell=1800):
    empty = {2: -32768, 4: -99999, -4: struct.unpack(">i", struct.pack(">f", 1.05409e14))[0]}[number_type]
    words = [1000000001, 128, 1, lat[0], lat[1], lat[2], cell, rows, lon[0], lon[1], lon[2], cell, cols,
             -50, 50, -1, precision, empty, number_type, 0, 0, pixel] + [0] * 10
    order = ">" if big else "<"
    head = struct.pack(order + "32i", *words)
    values = ramp(rows * cols, 40)
    values[2] = None
    cells = []
    for v in values:
        if number_type == -4:
            cells.append(struct.pack(order + "f", 1.05409e14 if v is None else v))
        else:
            cells.append(struct.pack(order + ("h" if number_type == 2 else "i"), empty if v is None else int(v)))
    return head + b"".join(cells)


def grd98_seeds():
    seeds = {}
    for big in (True, False):
        for nt, name in ((2, "short"), (4, "long"), (-4, "float")):
            seeds["%s-%s" % ("big" if big else "little", name)] = grd98(nt, big)
    seeds["precision-10"] = grd98(2, True, precision=10)
    seeds["pixel"] = grd98(-4, True, pixel=1)
    seeds["south-west"] = grd98(2, False, lat=(-11, 30, 0), lon=(-20, 15, 30))
    seeds["global"] = grd98(-4, True, rows=18, cols=36, lat=(90, 0, 0), lon=(-180, 0, 0), cell=36000, pixel=1)
    return seeds


def converter_seeds(commands):
    kinds = {
        "vtk": vtk_seeds(), "esri_ascii": esri_ascii_seeds(), "float_by_data": float_pair_seeds(),
        "float_by_header": float_pair_seeds(), "kms": kms_seeds(), "grd98": grd98_seeds(),
    }
    # The header named on the command line holds no byteorder line: its data
    # are read little-endian.
    kinds["float_by_header"] = {k: v for k, v in kinds["float_by_header"].items() if k != "msbfirst"}
    for index, reader in commands:
        for name, payload in kinds[reader].items():
            yield "%03d-%s-%s" % (index, reader, name), bytes([index]) + payload

# ---- Token reader and command line ------------------------------------------------

NUMBER_ALPHABET = "0123456789abcdefABCDEF+-."


def number_seed(text):
    return b"\x01" + bytes(NUMBER_ALPHABET.index(c) for c in text)


def long_line(length, crlf):
    """A line of `length` characters through the expansion of the lines mode."""
    return b"a" + b"\xff" + struct.pack(">H", length - 1) + (b"\xfe" if crlf else b"\n") + b"next\n"


def token_reader_seeds():
    seeds = {
        "lines-vtk": b"\x00" + vtk(3, 2, False, False),
        "lines-esri-crlf": b"\x00" + esri_ascii(4, 3, 10, 50, 0.5, crlf=True),
        "lines-tabs-no-end": b"\x00" + b"a\tb\n\n   \n/* c */\nlast",
    }
    for length in range(65530, 65537):
        for crlf in (False, True):
            seeds["lines-%d-%s" % (length, "crlf" if crlf else "lf")] = b"\x00" + long_line(length, crlf)
    seeds["lines-two-pieces"] = b"\x00x\xff\xff\xff\xff\x40\x00\xfe"
    for i, text in enumerate(["12.5", "-1.5e10", "1.5D+03", "1.5d-3", "7fffffff", "99999999999", "1e",
                              "+.5", "-", "0.000001", "3.4028235e38", "1e-46", "-2147483649", "777",
                              "1" * 40, "ffffffffffffffff1"]):
        seeds["number-%02d" % i] = number_seed(text)
    ops = bytes(range(1, 27)) * 2  # no NUL: it ends the operations
    seeds["ops-text"] = b"\x02" + ops + b"\x00" + b"ncols 4\nnrows 3 /* c */\n1,,3 'x' \"7\" 12abc 0x1F\n"
    seeds["ops-stream"] = b"\x02" + ops + b"\x00" + b"\x01DIMENSIONS 3 2 1\n1.5D+03 -5 ~\n  17 18\n"
    rows = b"".join(b"%d.%02d -%d.5\t%d\r\n" % (i, i % 100, i % 977, i * 7 % 1000) for i in range(150))
    seeds["values-rows"] = b"\x03\x00" + rows + b"\xff\x07" + b"1 2 /* c */\n5\r6\nnan 7,8 ~\n9\n" + rows
    seeds["values-short-sections"] = b"\x03\x03" + rows + b"\xff\x05null 3\nS 1\n" + rows + b"12 \x00 13\n\x1a"
    return seeds


def command_line_seeds():
    lines = [
        ["depthgrid", "in.vtk", "out.vtk"],
        ["gebco2vtk", "-w", "0", "-e", "10", "-s", "50", "-n", "60", "in.grd", "out.vtk"],
        ["etopo2grd98", "-zzm", "-y-5", "-x=0", "-x:", "1", "in", "out"],
        ["srtm2flt", "-pp", "-w", "190", "-e", "200", "in", "out.flt"],
        ["vtk2esri", "-#", "-:", "2.5", "-.", "10", "-v", "0.1", "in.vtk", "-"],
        ["depthgrid", "-oa", "-i", "-lqrfu", "in", "out"],
        ["kms2vtk", "-h"],
        ["arc2ascii", "-mmz", "-x", "1", "-x", "2", "-x", "3", "-x", "4", "-x", "5", "a", "b"],
        ["C:\\bin\\GINA2ESRI.EXE", "/w", "-1", "in", "out"],
    ]
    return {"%02d" % i: b"\x00".join(w.encode() for w in words) for i, words in enumerate(lines)}


def write(folder, seeds):
    shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(folder)
    for name, data in seeds:
        with open(os.path.join(folder, name), "wb") as f:
            f.write(data)


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    fuzzer, out = sys.argv[1], sys.argv[2]
    table = subprocess.run([fuzzer], env=dict(os.environ, DEPTHGRID_FUZZ_COMMANDS="1"), check=True,
                           capture_output=True, text=True).stdout
    commands = [(int(line.split()[0]), line.split()[1]) for line in table.splitlines() if line.strip()]
    if len(commands) != 256:
        sys.exit("%s did not list its 256 command lines" % fuzzer)
    write(os.path.join(out, "converter"), converter_seeds(commands))
    write(os.path.join(out, "token_reader"), token_reader_seeds().items())
    write(os.path.join(out, "command_line"), command_line_seeds().items())


if __name__ == "__main__":
    main()
