#!/usr/bin/env bash
# The whole test suite again, with the program and every test built with
# AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cmake -S . -B build-sanitize -DTILEGRID_SANITIZE=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build-sanitize
ctest --test-dir build-sanitize --output-on-failure
