#!/usr/bin/env python3
"""Interop with the field's own readers and writers, GDAL and VTK.

  interop.py --list               the case names, one a line
  interop.py BIN_DIR CASE         runs one case with the programs in BIN_DIR

"out-*" cases: depthgrid converts a generated grid, GDAL or VTK reads the
output, and every cell, the origin, the spacing and the nodata cells must be
those of the source. "gdal-*" and "vtk-*" cases: GDAL or VTK writes a grid,
depthgrid converts it to binary VTK with -y nan, and the result must be what
GDAL or VTK itself reads from that file. A case whose reader library is not
installed exits with 77, which ctest reports as skipped.
"""
import math
import os
import subprocess
import sys
import tempfile
import types

SKIP = 77
FLOAT_MAX = 3.4028234663852886e38
FLOAT_NAN = 105408999981056.0  # the float depthgrid writes for undefined VTK cells by default


def need(module):
    """The module, or a skip naming the package that brings it."""
    package = {"gdal": "python3-gdal", "vtk": "python3-vtk9", "numpy": "python3-numpy"}[module]
    try:
        if module == "gdal":
            from osgeo import gdal
            gdal.UseExceptions()
            return gdal
        if module == "vtk":  # the modules used, much quicker to load than all of vtk
            from vtkmodules import vtkCommonCore, vtkCommonDataModel, vtkIOLegacy
            from vtkmodules.util import numpy_support
            names = {n: getattr(m, n) for m in (vtkCommonCore, vtkCommonDataModel, vtkIOLegacy)
                     for n in dir(m) if n.startswith("vtk")}
            return types.SimpleNamespace(numpy_support=numpy_support, **names)
        return __import__(module)
    except ImportError as failure:
        print(f"SKIPPED: {module} for Python is not installed ({failure}); install {package}")
        sys.exit(SKIP)


np = None  # numpy, imported with the first reader


class Grid:
    """Cells north row first (NaN: nodata), centre of the north-west cell, spacings."""

    def __init__(self, cells, x, y, dx, dy):
        self.cells, self.x, self.y, self.dx, self.dy = np.asarray(cells, dtype=np.float64), x, y, dx, dy


# ---- sources -------------------------------------------------------------

def source(kind):
    """A grid to convert: 'small' (7 x 5 at 0.5 degree with awkward digits and
    two nodata cells) or 'globe' (360 x 3 at 1 degree from -180)."""
    if kind == "globe":
        cells = np.fromfunction(lambda r, c: r * 1000 + c - 180.25, (3, 360)).astype(np.float32)
        cells[1, 5] = np.nan
        return Grid(cells, -179.5, 1.5, 1.0, 1.0)
    cells = np.fromfunction(lambda r, c: (r * 7 + c) * 37.123 - 500, (5, 7)).astype(np.float32)
    cells[1, 2] = cells[3, 5] = np.nan
    return Grid(cells, 10.25, 42.25, 0.5, 0.5)


def mem_dataset(grid, gdal_type, nodata):
    gdal = need("gdal")
    rows, cols = grid.cells.shape
    mem = gdal.GetDriverByName("MEM").Create("", cols, rows, 1, gdal_type)
    mem.SetGeoTransform((grid.x - grid.dx / 2, grid.dx, 0, grid.y + grid.dy / 2, 0, -grid.dy))
    band = mem.GetRasterBand(1)
    cells = grid.cells.copy()
    if nodata is not None:
        if not math.isnan(nodata):
            cells[np.isnan(cells)] = nodata
        band.SetNoDataValue(nodata)
    band.WriteArray(cells)
    return mem


def write_gdal(grid, path, driver, gdal_type="Float32", nodata=-9999.0, options=()):
    gdal = need("gdal")
    mem = mem_dataset(grid, gdal.GetDataTypeByName(gdal_type), nodata)
    gdal.GetDriverByName(driver).CreateCopy(path, mem, options=list(options))


def write_vtk(grid, path, version=42, ascii=False, name=None, vtk_type="float", lookup=None, field=False,
              cell_data=False):
    vtk = need("vtk")
    numpy_support = vtk.numpy_support
    rows, cols = grid.cells.shape
    image = vtk.vtkImageData()
    image.SetDimensions(cols, rows, 1)
    image.SetSpacing(grid.dx, grid.dy, 1)
    image.SetOrigin(grid.x, grid.y - (rows - 1) * grid.dy, 0)
    cells = grid.cells[::-1].ravel()  # VTK rows go from the south
    array = numpy_support.numpy_to_vtk(cells.astype({"float": np.float32, "double": np.float64,
                                                     "short": np.int16}[vtk_type]), deep=1)
    if name:
        array.SetName(name)
    if lookup:
        table = vtk.vtkLookupTable()
        table.SetNumberOfTableValues(4)
        table.Build()
        array.SetLookupTable(table)
    image.GetPointData().SetScalars(array)
    if cell_data:  # scalars of the cells come first in the file, vectors follow the point scalars
        cell_cells = numpy_support.numpy_to_vtk(np.arange((rows - 1) * (cols - 1), dtype=np.float64), deep=1)
        cell_cells.SetName("cell_values")
        image.GetCellData().SetScalars(cell_cells)
        vectors = numpy_support.numpy_to_vtk(np.ones((rows * cols, 3), dtype=np.float32), deep=1)
        vectors.SetName("flow")
        image.GetPointData().SetVectors(vectors)
    if field:
        note = vtk.vtkFloatArray()
        note.SetName("note")
        note.InsertNextValue(3.5)
        image.GetFieldData().AddArray(note)
    out = vtk.vtkStructuredPointsWriter()
    out.SetInputData(image)
    out.SetFileName(path)
    out.SetFileVersion(version)
    out.SetFileTypeToASCII() if ascii else out.SetFileTypeToBinary()
    if lookup:
        out.SetLookupTableName(lookup)
    if not out.Write():
        raise RuntimeError(f"VTK could not write {path}")


def write_own_vtk(grid, path):
    """A binary VTK file in depthgrid's own header form, NaN for nodata."""
    rows, cols = grid.cells.shape
    header = (f"# vtk DataFile Version 3.0\nsource\nBINARY\nDATASET STRUCTURED_POINTS\nDIMENSIONS {cols} {rows} 1\n"
              f"SPACING {grid.dx!r} {grid.dy!r} 0\nORIGIN {grid.x!r} {grid.y - (rows - 1) * grid.dy!r} 0\n"
              f"POINT_DATA {rows * cols}\nSCALARS scalars float\nLOOKUP_TABLE default\n")
    with open(path, "wb") as out:
        out.write(header.encode() + grid.cells[::-1].astype(">f4").tobytes())


# ---- readers ---------------------------------------------------------------

def read_gdal(path):
    """As GDAL reads it: nodata is what GDAL's own mask says."""
    gdal = need("gdal")
    data = gdal.Open(path)
    band = data.GetRasterBand(1)
    cells = band.ReadAsArray().astype(np.float64)
    cells[band.GetMaskBand().ReadAsArray() == 0] = np.nan
    x0, dx, _, y0, _, dy = data.GetGeoTransform()
    return Grid(cells, x0 + dx / 2, y0 + dy / 2, dx, -dy)


def read_vtk(path):
    """As VTK reads it: no nodata but NaN."""
    vtk = need("vtk")
    numpy_support = vtk.numpy_support
    reader = vtk.vtkStructuredPointsReader()
    reader.SetFileName(path)
    reader.Update()
    image = reader.GetOutput()
    scalars = image.GetPointData().GetScalars()
    if scalars is None or reader.GetErrorCode():
        raise RuntimeError(f"VTK read no scalars from {path}")
    cols, rows, _ = image.GetDimensions()
    (x, y, _), (dx, dy, _) = image.GetOrigin(), image.GetSpacing()
    cells = numpy_support.vtk_to_numpy(scalars).astype(np.float64).reshape(rows, cols)
    if dy > 0:  # lower row first
        return Grid(cells[::-1], x, y + (rows - 1) * dy, dx, dy)
    return Grid(cells, x, y, dx, -dy)


def read_depthgrid_vtk(path):
    """depthgrid's binary VTK output, read by its own layout."""
    with open(path, "rb") as file:
        data = file.read()
    end = data.index(b"LOOKUP_TABLE default\n") + len(b"LOOKUP_TABLE default\n")
    lines = {line.split()[0]: line.split()[1:] for line in data[:end].decode("latin-1").splitlines()[2:]}
    cols, rows = int(lines["DIMENSIONS"][0]), int(lines["DIMENSIONS"][1])
    dx, dy = float(lines["SPACING"][0]), float(lines["SPACING"][1])
    x, y = float(lines["ORIGIN"][0]), float(lines["ORIGIN"][1])
    kind = ">i2" if lines["SCALARS"][1] == "short" else ">f4"
    cells = np.frombuffer(data[end:], dtype=kind).astype(np.float64)
    if cells.size != rows * cols:
        raise RuntimeError(f"{path}: {cells.size} cells for {cols} x {rows}")
    return Grid(cells.reshape(rows, cols)[::-1], x, y + (rows - 1) * dy, dx, dy) if dy > 0 else \
        Grid(cells.reshape(rows, cols), x, y, dx, -dy)


# ---- comparison --------------------------------------------------------------

def differences(want, got):
    """What differs between two grids: shape, geometry, nodata cells, values."""
    if want.cells.shape != got.cells.shape:
        return [f"{got.cells.shape[1]} x {got.cells.shape[0]} cells, expected "
                f"{want.cells.shape[1]} x {want.cells.shape[0]}"]
    found = []
    for what in ("x", "y", "dx", "dy"):
        a, b = getattr(want, what), getattr(got, what)
        if abs(a - b) > 1e-9 * max(1.0, abs(a)):
            found.append(f"{what} {b!r}, expected {a!r}")
    want_nan, got_nan = np.isnan(want.cells), np.isnan(got.cells)
    for r, c in zip(*np.nonzero((want_nan != got_nan) | (~want_nan & (want.cells != got.cells)))):
        found.append(f"cell row {r} column {c}: {got.cells[r, c]!r}, expected {want.cells[r, c]!r}")
    return found[:12]


def ftoi(value):
    """depthgrid's rounding: halves of positive values up, of negative ones toward zero."""
    return math.trunc(value + 0.5) if value > 0 else -math.trunc(0.4999999999 - value) if value < 0 else 0


def as_written(grid, how, undefined=None):
    """The source as an output holds it: 'exact' floats, 'text' (%.6g read back
    as a float), 'int' (rounded to 16 bits); `undefined` fills nodata cells."""
    def cell(v):
        if math.isnan(v):
            return math.nan if undefined is None else undefined
        if how == "text":
            return float(np.float32(float(f"{v:.6g}")))
        return float(ftoi(v)) if how == "int" else v
    return Grid(np.vectorize(cell, otypes=[np.float64])(grid.cells), grid.x, grid.y, grid.dx, grid.dy)


def window(grid, x, y, cols, rows):
    """The cells of `grid` whose centres lie at x.. and y.. downwards, columns
    wrapped around the globe."""
    src_rows, src_cols = grid.cells.shape
    cells = np.empty((rows, cols))
    for r in range(rows):
        i = round((grid.y - (y - r * grid.dy)) / grid.dy)
        assert 0 <= i < src_rows, "the window lies inside the source rows"
        for c in range(cols):
            cells[r, c] = grid.cells[i, round((x + c * grid.dx - grid.x) / grid.dx) % src_cols]
    return Grid(cells, x, y, grid.dx, grid.dy)


# ---- cases ---------------------------------------------------------------------

# depthgrid writes, GDAL or VTK reads: name -> (source, source file, program,
# options, output, reader, cell form, undefined value, window (x, y, columns, rows))
ONE_CELL = ["-w", "11.25", "-e", "11.25", "-n", "41.75", "-s", "41.75"]
OUTPUTS = {
    "out-esri-ascii": ("small", "src.asc", "arc2ascii", [], "out.asc", read_gdal, "text", None, None),
    "out-esri-ascii-lowest-float-nodata": ("small", "low.asc", "arc2ascii", [], "out.asc", read_gdal, "text", None,
                                           None),
    "out-esri-ascii-nan": ("small", "src.asc", "arc2ascii", ["-y", "nan"], "out.asc", read_gdal, "text", None, None),
    "out-esri-ascii-one-cell": ("small", "src.asc", "arc2ascii", ONE_CELL, "out.asc", read_gdal, "text", None,
                                (11.25, 41.75, 1, 1)),
    "out-esri-ascii-date-line": ("globe", "src.asc", "arc2ascii", ["-w", "170", "-e", "190"], "out.asc", read_gdal,
                                 "text", None, (169.5, 1.5, 22, 3)),
    "out-esri-float": ("small", "src.asc", "esri2flt", [], "out.flt", read_gdal, "exact", None, None),
    "out-esri-float-lowest-float-nodata": ("small", "low.asc", "esri2flt", [], "out.flt", read_gdal, "exact", None,
                                           None),
    "out-esri-float-nan": ("small", "src.asc", "esri2flt", ["-y", "nan"], "out.flt", read_gdal, "exact", None, None),
    "out-esri-float-short": ("small", "src.vtk", "vtk2flt", ["-i"], "out.flt", read_gdal, "int", None, None),
    "out-vtk-binary": ("small", "src.asc", "esri2vtk", ["-y", "nan"], "out.vtk", read_vtk, "exact", None, None),
    "out-vtk-binary-own-undefined": ("small", "src.asc", "esri2vtk", [], "out.vtk", read_vtk, "exact", FLOAT_NAN,
                                     None),
    "out-vtk-binary-upper-first": ("small", "src.asc", "esri2vtk", ["-u", "-y", "nan"], "out.vtk", read_vtk,
                                   "exact", None, None),
    "out-vtk-short": ("small", "src.vtk", "depthgrid", ["-i"], "out.vtk", read_vtk, "int", -32768.0, None),
    # VTK's reader takes no "nan" among ASCII values, so the undefined cells keep the default marker.
    "out-vtk-ascii": ("small", "src.asc", "esri2vtk", ["-a"], "out.vtk", read_vtk, "text", FLOAT_NAN, None),
    "out-vtk-one-cell": ("small", "src.asc", "esri2vtk", ONE_CELL, "out.vtk", read_vtk, "exact", FLOAT_NAN,
                         (11.25, 41.75, 1, 1)),
    "out-vtk-date-line": ("globe", "src.asc", "esri2vtk", ["-w", "170", "-e", "190", "-y", "nan"], "out.vtk",
                          read_vtk, "exact", None, (169.5, 1.5, 22, 3)),
}

# GDAL or VTK writes, depthgrid converts: name -> (file, writer of `grid` to
# `path`, depthgrid program, reader of the same file)
INPUTS = {
    "gdal-aaigrid": ("in.asc", lambda g, p: write_gdal(g, p, "AAIGrid"), "esri2vtk", read_gdal),
    "gdal-aaigrid-decimal-precision": ("in.asc", lambda g, p: write_gdal(g, p, "AAIGrid",
                                                                         options=["DECIMAL_PRECISION=2"]),
                                       "esri2vtk", read_gdal),
    "gdal-aaigrid-significant-digits": ("in.asc", lambda g, p: write_gdal(g, p, "AAIGrid",
                                                                          options=["SIGNIFICANT_DIGITS=9"]),
                                        "esri2vtk", read_gdal),
    "gdal-aaigrid-int16": ("in.asc", lambda g, p: write_gdal(g, p, "AAIGrid", "Int16", -32768), "esri2vtk",
                           read_gdal),
    "gdal-aaigrid-force-cellsize": ("in.asc", lambda g, p: write_gdal(g, p, "AAIGrid",
                                                                      options=["FORCE_CELLSIZE=YES"]),
                                    "esri2vtk", read_gdal),
    "gdal-aaigrid-dx-dy": ("in.asc", lambda g, p: write_gdal(g, p, "AAIGrid"), "esri2vtk", read_gdal),
    "gdal-aaigrid-nan-cells": ("in.asc", lambda g, p: write_gdal(g, p, "AAIGrid", nodata=None), "esri2vtk",
                               read_gdal),
    "gdal-aaigrid-nodata-nan": ("in.asc", lambda g, p: write_gdal(g, p, "AAIGrid", nodata=math.nan), "esri2vtk",
                                read_gdal),
    "gdal-ehdr-float32": ("in.flt", lambda g, p: write_gdal(g, p, "EHdr"), "esri2vtk", read_gdal),
    "gdal-ehdr-float32-by-header": ("in.hdr", lambda g, p: write_gdal(g, p[:-3] + "flt", "EHdr"), "esri2vtk",
                                    lambda p: read_gdal(p[:-3] + "flt")),
    "gdal-ehdr-int16": ("in.bil", lambda g, p: write_gdal(g, p, "EHdr", "Int16", -32768), "esri2vtk", read_gdal),
    "vtk42-binary": ("in.vtk", lambda g, p: write_vtk(g, p, 42), "depthgrid", read_vtk),
    "vtk42-ascii": ("in.vtk", lambda g, p: write_vtk(g, p, 42, ascii=True), "depthgrid", read_vtk),
    "vtk51-binary": ("in.vtk", lambda g, p: write_vtk(g, p, 51), "depthgrid", read_vtk),
    "vtk51-ascii": ("in.vtk", lambda g, p: write_vtk(g, p, 51, ascii=True), "depthgrid", read_vtk),
    "vtk-short": ("in.vtk", lambda g, p: write_vtk(g, p, vtk_type="short"), "depthgrid", read_vtk),
    "vtk-named-array": ("in.vtk", lambda g, p: write_vtk(g, p, name="elevation"), "depthgrid", read_vtk),
    "vtk-double": ("in.vtk", lambda g, p: write_vtk(g, p, vtk_type="double"), "depthgrid", read_vtk),
    "vtk-lookup-table": ("in.vtk", lambda g, p: write_vtk(g, p, lookup="colours"), "depthgrid", read_vtk),
    "vtk-field-data-binary": ("in.vtk", lambda g, p: write_vtk(g, p, 51, field=True), "depthgrid", read_vtk),
    "vtk-field-data-ascii": ("in.vtk", lambda g, p: write_vtk(g, p, 42, ascii=True, field=True), "depthgrid",
                             read_vtk),
    "vtk-cell-data": ("in.vtk", lambda g, p: write_vtk(g, p, 51, cell_data=True), "depthgrid", read_vtk),
    "vtk-cell-data-ascii": ("in.vtk", lambda g, p: write_vtk(g, p, 42, ascii=True, cell_data=True), "depthgrid",
                            read_vtk),
    # VTK writes "nan" among ASCII values but cannot read it back: the cells
    # are those it was given, printed with 6 digits.
    "vtk-ascii-nan": ("in.vtk", lambda g, p: write_vtk(g, p, 51, ascii=True), "depthgrid",
                      lambda p: as_written(input_grid("vtk-ascii-nan"), "text")),
}


def run(bin_dir, program, args, cwd):
    done = subprocess.run([os.path.join(bin_dir, program)] + args, cwd=cwd, capture_output=True, text=True)
    if done.returncode != 0:
        raise RuntimeError(f"{program} {' '.join(args)} ended with status {done.returncode}:\n"
                           f"{done.stdout}{done.stderr}")


def input_grid(name):
    """The grid a field writer is given: nodata in NaN cells, or NaN cells
    without nodata; the values suit the cell type."""
    grid = source("small")
    if "int16" in name or name == "vtk-short":
        grid.cells = np.where(np.isnan(grid.cells), np.nan, np.round(grid.cells))
        if name == "vtk-short":  # no NaN in shorts: VTK input takes -32768 as undefined
            grid.cells[np.isnan(grid.cells)] = 7.0
    if name.startswith("vtk") and "ascii" in name and "nan" not in name:
        grid.cells[np.isnan(grid.cells)] = -1.5  # VTK reads no NaN from text
    if name.endswith("dx-dy"):
        grid.dy = 0.25
    return grid


def run_case(bin_dir, name, work):
    global np
    gdal_read = name.startswith("gdal") or name in OUTPUTS and OUTPUTS[name][5] is read_gdal
    need("gdal" if gdal_read else "vtk")
    np = need("numpy")
    if name in OUTPUTS:
        kind, src, program, options, out, reader, how, undefined, frame = OUTPUTS[name]
        grid = source(kind)
        path = os.path.join(work, src)
        if src == "src.vtk":
            write_own_vtk(grid, path)
        else:
            lowest = src == "low.asc"
            write_text_grid(grid, path, -FLOAT_MAX if lowest else -9999.0)
        run(bin_dir, program, options + [src, out], work)
        want = window(grid, *frame) if frame else grid
        return differences(as_written(want, how, undefined), reader(os.path.join(work, out)))
    file, writer, program, reader = INPUTS[name]
    path = os.path.join(work, file)
    writer(input_grid(name), path)
    run(bin_dir, program, ["-y", "nan", file, "out.vtk"], work)
    return differences(reader(path), read_depthgrid_vtk(os.path.join(work, "out.vtk")))


def write_text_grid(grid, path, nodata):
    """An ESRI ASCII source in the order every ESRI reader takes, values with
    all the digits of their floats."""
    rows, cols = grid.cells.shape
    lines = [f"ncols {cols}", f"nrows {rows}", f"xllcorner {grid.x - grid.dx / 2!r}",
             f"yllcorner {grid.y - (rows - 0.5) * grid.dy!r}", f"cellsize {grid.dx!r}", f"NODATA_value {nodata!r}"]
    for row in grid.cells:
        lines.append(" ".join(repr(nodata) if math.isnan(v) else repr(float(np.float32(v))) for v in row))
    with open(path, "w") as out:
        out.write("\n".join(lines) + "\n")


def main():
    if sys.argv[1:] == ["--list"]:
        print("\n".join(list(OUTPUTS) + list(INPUTS)))
        return 0
    bin_dir, name = sys.argv[1:3]
    with tempfile.TemporaryDirectory(prefix="interop-") as work:
        try:
            found = run_case(os.path.abspath(bin_dir), name, work)
        except Exception as failure:  # a refusal or a reader error is this case's failure
            print(f"FAILED {name}: {failure}")
            return 1
    for line in found:
        print(line)
    print(("FAILED " if found else "passed ") + name)
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main())
