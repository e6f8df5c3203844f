#!/usr/bin/env bash
# Installs what is missing, builds the programs with the optimised preset and runs the main job.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --preset default >/dev/null
cmake --build --preset default --target VelmarConsole velmar-reg
exec build/default/bin/VelmarConsole "$@"
