#!/usr/bin/env bash
# Installs what is missing, then builds and runs the whole test suite in both presets:
# the optimised build and the AddressSanitizer/UndefinedBehaviorSanitizer build.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
presets=("$@")
[ ${#presets[@]} -gt 0 ] || presets=(default sanitize)
for preset in "${presets[@]}"; do
    echo "=== preset: $preset"
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset"
    ctest --preset "$preset"
done
