#!/usr/bin/env bash
# Installs what is missing, builds the programs with the optimised preset and runs the main job:
# VelmarSetup beside the sample installer (build/default/bin/setup.exe) on the machine prefix
# (VELMAR_PREFIX, else the default one, made on first use).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --preset default >/dev/null
cmake --build --preset default --target VelmarSetup sample_installer VelmarConsole velmar-reg
# The installer writes the machine's settings: it runs as an administrator would.
export VELMAR_ELEVATED="${VELMAR_ELEVATED:-1}"
exec build/default/bin/VelmarSetup
