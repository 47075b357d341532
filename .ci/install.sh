#!/usr/bin/env bash
# Install stage: installs the program into a scratch prefix as a user would,
# then checks that the installed files are all there, that the installed
# program converts the example, and that its manual page renders cleanly.
set -euo pipefail
cd "$(dirname "$0")/.."
# The Linux build folder; TILEGRID_BUILD_DIR names another one.
build=${TILEGRID_BUILD_DIR:-build}
root=$(pwd)

export DEBIAN_FRONTEND=noninteractive
apt-get update -q
apt-get install -y -q --no-install-recommends cmake make g++ libgtest-dev googletest \
    groff-base man-db </dev/null

# Configure again even when the build exists, so that the install rules see
# every file that is there now.
cmake -S . -B "$build"
cmake --build "$build"

prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix"

fail() { echo "install check failed: $*" >&2; exit 1; }

program="$prefix/bin/tilegrid"
page="$prefix/share/man/man1/tilegrid.1"
[ -x "$program" ] || fail "bin/tilegrid is missing or not executable"
[ -f "$page" ] || fail "share/man/man1/tilegrid.1 is missing"

# The installed program, on the example, in a folder of its own.
work="$prefix/run"
mkdir "$work"
cp "$root/examples/silicide.cry" "$work/"
status=0
(cd "$work" && "$program" silicide.cry 3 2 >output.txt </dev/null) || status=$?
[ "$status" -eq 0 ] || fail "the installed program ended with status $status"
printf 'Done!! POVRay file is silicide.pov\r\n' >"$work/expected.txt"
cmp -s "$work/output.txt" "$work/expected.txt" ||
    fail "unexpected output: $(od -c "$work/output.txt" | head -5)"
head -n 1 "$work/silicide.pov" | grep -q '^#include "colors.inc"' ||
    fail "silicide.pov does not begin with the include line"
# Six copies of the cell, each opened by one line.
copies=$(grep -c '^object {unitcell' "$work/silicide.pov")
[ "$copies" -eq 6 ] || fail "silicide.pov holds $copies copies instead of 6"

# The page, rendered both directly and through man, without one warning; and
# man finds it under the prefix by name.
warnings=$(groff -man -Tutf8 -ww "$page" 2>&1 >/dev/null)
[ -z "$warnings" ] || fail "groff warns about the manual page: $warnings"
warnings=$(man --warnings -l "$page" 2>&1 >/dev/null)
[ -z "$warnings" ] || fail "man warns about the manual page: $warnings"
found=$(MANPATH="$prefix/share/man" man -w tilegrid)
[ "$found" = "$page" ] || fail "man -w tilegrid found '$found'"

echo "installed under a scratch prefix: bin/tilegrid and share/man/man1/tilegrid.1 work"
