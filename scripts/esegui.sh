#!/usr/bin/env bash
# Builds the program and runs it once on its embedded scenario. Its files land
# beside it, in build/programma.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/pacchetti.sh

installa_mancanti cmake g++
cmake --preset default -B build/programma -DVALMORA_TESTS=OFF -DVALMORA_TOOLS=OFF
cmake --build build/programma --target valmora2 --parallel 2
stato=0
build/programma/valmora2 || stato=$?
ls -l build/programma/Valmora2_*
exit "$stato"
