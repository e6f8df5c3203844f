#!/usr/bin/env bash
# Installs what is missing, builds the programs with the optimised preset and runs the main job:
# VelmarSetup beside the sample installer (build/default/bin/setup.exe) on the machine prefix
# (VELMAR_PREFIX, else the default one, made on first use). Then shows what the installer did
# and the installation the registry now holds.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --preset default >/dev/null
cmake --build --preset default --target VelmarSetup sample_installer VelmarConsole velmar-reg
bin=build/default/bin

# The installer writes the machine's settings: it runs as an administrator would.
export VELMAR_ELEVATED="${VELMAR_ELEVATED:-1}"
# Started by VelmarSetup the installer has no console; its lines go to this log as well.
export VELMAR_SAMPLE_SETUP_LOG="$PWD/build/default/setup.log"
: >"$VELMAR_SAMPLE_SETUP_LOG"

echo "VelmarSetup starts (prefix: ${VELMAR_PREFIX:-the default one})."
status=0
"$bin/VelmarSetup" || status=$?

if [ ! -s "$VELMAR_SAMPLE_SETUP_LOG" ]; then
    printf '\nsetup.exe did not run.\n'
elif [ -t 1 ]; then
    # On a terminal its lines were kept off the screen; elsewhere they are above already.
    printf '\nWhat setup.exe did:\n'
    tr -d '\r' <"$VELMAR_SAMPLE_SETUP_LOG" | sed 's/^/    /'
fi
echo
echo "The installation the registry holds now:"
"$bin/velmar-reg" query 'HKLM\Software\VELMAR Systems International\VELMAR Software\CurrentVersion' \
    /reg:32 2>&1 | sed 's/^/    /' || true
exit "$status"
