#!/bin/sh
# Installs into a scratch prefix and checks that install_manifest.txt lists,
# and the prefix holds, the program, every alias link and every manual page;
# that man finds the page under an alias; and that removing what the manifest
# lists leaves nothing behind.
#   install_test.sh CMAKE BUILD_DIR ALIAS...
set -u
cmake=$1 build=$2
shift 2
status=0
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
fail() {
    echo "$*"
    status=1
}

"$cmake" --install "$build" --prefix "$prefix" >/dev/null || exit 1
manifest=$build/install_manifest.txt
listed() { grep -qxF "$1" "$manifest" || fail "not in install_manifest.txt: $1"; }

listed "$prefix/bin/depthgrid"
listed "$prefix/share/man/man1/depthgrid.1"
listed "$prefix/share/doc/depthgrid/LICENSE"
for alias in "$@"; do
    listed "$prefix/bin/$alias"
    [ "$(readlink "$prefix/bin/$alias")" = depthgrid ] || fail "bin/$alias is not a link to depthgrid"
    listed "$prefix/share/man/man1/$alias.1"
done
# A link installed is a working name: its name picks the formats.
"$prefix/bin/gebco2vtk" -h | grep -q "^  infile  *Input GEBCO One minute grid file" ||
    fail "bin/gebco2vtk does not run as gebco2vtk"

if command -v man >/dev/null 2>&1; then
    for name in depthgrid gebco2vtk; do
        MANWIDTH=80 man -M "$prefix/share/man" -P cat "$name" 2>&1 | grep -q "^DEPTHGRID(1)" ||
            fail "man -M $prefix/share/man $name does not show the page"
    done
else
    echo "man not found: the page lookup is not checked"
fi

# Uninstall as the manifest allows: nothing may be left behind.
xargs rm -f <"$manifest"
left=$(find "$prefix" ! -type d)
[ -z "$left" ] || fail "left after removing what install_manifest.txt lists: $left"
exit $status
