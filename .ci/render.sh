#!/usr/bin/env bash
# Render stage: installs POV-Ray and runs the render tests, which convert
# crystals with the program, render the scenes and check the pictures. Here
# they must run: a render test that reports itself skipped fails the stage.
set -euo pipefail
cd "$(dirname "$0")/.."
# The Linux build folder; TILEGRID_BUILD_DIR names another one.
build=${TILEGRID_BUILD_DIR:-build}

export DEBIAN_FRONTEND=noninteractive
apt-get update -q
# colors.inc, which every scene includes, comes with povray-includes, which
# povray only recommends.
apt-get install -y -q --no-install-recommends cmake make g++ libgtest-dev googletest \
    povray povray-includes </dev/null

povray=$(command -v povray) || { echo "povray is not on PATH after installing it" >&2; exit 1; }
# Naming povray here also covers a build that was configured without it.
cmake -S . -B "$build" -DTILEGRID_POVRAY_EXECUTABLE="$povray"
cmake --build "$build"

log=$(mktemp)
trap 'rm -f "$log"' EXIT
started=$SECONDS
ctest --test-dir "$build" -L render --no-tests=error --output-on-failure -j "$(nproc)" | tee "$log"
echo "render tests took $((SECONDS - started)) s"
if grep -q '(Skipped)' "$log"; then
    echo "render tests were skipped although povray is installed" >&2
    exit 1
fi
