#!/bin/sh
# Checks of the manual page.
#   manual_test.sh render PAGE
#       groff finds nothing to warn about (status 77, a skip, without groff).
#   manual_test.sh contents PAGE PROGRAM CHANGELOG ALIAS...
#       the page lists the option letters of the program's help and the names
#       the build makes, and the changelog's first release is the program's
#       version.
set -u
LC_ALL=C
export LC_ALL
mode=$1 page=$2

if [ "$mode" = render ]; then
    command -v groff >/dev/null 2>&1 || { echo "groff not found: the page cannot be checked"; exit 77; }
    warnings=$(groff -ww -man -z "$page" 2>&1) && [ -z "$warnings" ] && exit 0
    echo "$warnings"
    exit 1
fi

program=$3 changelog=$4
shift 4
status=0
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

# Both sides as sorted lists, compared so that neither can drift from the other.
same() {  # what, expected list, found list
    if ! diff "$2" "$3" >"$scratch/diff"; then
        echo "$1 (< program, > page):"
        cat "$scratch/diff"
        status=1
    fi
}

# Help lines begin with two blanks, "-" and the letter.
"$program" -h | sed -n 's/^  -\(.\).*/\1/p' | sort -u >"$scratch/help"
# The page's options: the tag line after each .TP of OPTIONS, first "\-X" on it;
# "\-\-" starts a long word, which the help text does not list.
awk '/^\.SH /{options = ($2 == "OPTIONS")} options && tag {print} {tag = /^\.TP/}' "$page" |
    sed -n 's/^\.B[IR]\{0,1\} *\\-\([^\\]\).*/\1/p' | sort -u >"$scratch/page"
same "option letters" "$scratch/help" "$scratch/page"
for word in help version; do
    grep -q "^\.B \\\\-\\\\-$word\$" "$page" || { echo "no entry for --$word"; status=1; }
done

# Names: the NAME section lists depthgrid and every alias.
printf '%s\n' depthgrid "$@" | sort -u >"$scratch/names"
sed -n '/^\.SH NAME/,/\\-/p' "$page" | sed '1d; s/\\-.*//' | tr ', ' '\n\n' | sed '/^$/d' | sort -u >"$scratch/listed"
same "invocation names" "$scratch/names" "$scratch/listed"
for alias in "$@"; do
    [ "$(grep -cw -- "$alias" "$page")" -ge 2 ] || { echo "$alias is missing from INVOCATION NAMES"; status=1; }
done

# The first release entry of the changelog carries the version printed.
version=$("$program" --version)
first=$(sed -n 's/^## \[\([0-9][^]]*\)\].*/\1/p' "$changelog" | head -n 1)
[ "$version" = "depthgrid $first" ] || { echo "--version prints \"$version\", first release is $first"; status=1; }
exit $status
