#!/bin/sh
# Fuzz stage: builds the libFuzzer targets with clang and runs each one for
# about a minute on a scratch copy of its seed corpus. Fails when any target
# reports a crash, a failed check, a leak, a sanitizer error or a hang.
set -eu

cd "$(dirname "$0")/.."
root=$(pwd)

export DEBIAN_FRONTEND=noninteractive
apt-get update
apt-get install -y --no-install-recommends clang libclang-rt-14-dev cmake make ca-certificates </dev/null

cmake -S . -B build-fuzz -DCMAKE_CXX_COMPILER=clang++ -DTILEGRID_FUZZ=ON -DTILEGRID_TESTS=OFF
cmake --build build-fuzz -j "$(nproc)"

seconds=${TILEGRID_FUZZ_SECONDS:-60}
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
# The command-line target makes its empty working folder under TMPDIR.
export TMPDIR="$scratch"

failed=""
for target in crystal_reader conversion command_line; do
    corpus="$scratch/corpus-$target"
    artifacts="$scratch/artifacts-$target"
    mkdir -p "$corpus" "$artifacts"
    cp "$root/fuzz/corpus/$target/"* "$corpus/"
    case $target in
        crystal_reader) limit=-max_len=20000 ;;   # past the reader's 16 KiB buffer
        *) limit= ;;
    esac
    echo "=== fuzz_$target for ${seconds}s"
    status=0
    # Absolute paths throughout: a target may change its working folder.
    "$root/build-fuzz/fuzz_$target" -max_total_time="$seconds" -timeout=10 $limit \
        -print_final_stats=1 -artifact_prefix="$artifacts/" "$corpus" \
        >"$scratch/log-$target" 2>&1 || status=$?
    grep -E '^Done [0-9]+ runs' "$scratch/log-$target" || true
    if [ "$status" -ne 0 ] || grep -qE 'ERROR: (AddressSanitizer|LeakSanitizer|UndefinedBehaviorSanitizer|libFuzzer)|runtime error:' "$scratch/log-$target"; then
        echo "fuzz_$target FAILED (exit status $status):"
        tail -n 40 "$scratch/log-$target"
        for input in "$artifacts"/*; do
            [ -f "$input" ] || continue
            echo "--- input $(basename "$input"):"
            od -A x -t x1z -v "$input" | head -n 32
        done
        failed="$failed fuzz_$target"
    fi
done

if [ -n "$failed" ]; then
    echo "fuzzing failed:$failed"
    exit 1
fi
echo "fuzzing passed"
