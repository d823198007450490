#!/usr/bin/env bash
# Builds the Windows program and the authors' tool for Windows and leaves
# them with the README in build/pacchetto/valmora2, ready to zip; with zip at
# hand it makes build/pacchetto/valmora2.zip as well. Another folder than
# build/pacchetto may be given.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/pacchetti.sh

installa_mancanti cmake g++-mingw-w64-x86-64-win32 libcli11-dev nlohmann-json3-dev
destinazione=${1:-build/pacchetto}
cmake --preset windows
cmake --build --preset windows --target valmora2 autori --parallel 2
rm -rf "$destinazione/valmora2" "$destinazione/valmora2.zip"
mkdir -p "$destinazione/valmora2"
cp build/windows/valmora2.exe build/windows/tools/autori.exe README.md "$destinazione/valmora2/"
ls -l "$destinazione/valmora2"
if command -v zip >/dev/null; then
  (cd "$destinazione" && zip -q -r valmora2.zip valmora2)
  ls -l "$destinazione/valmora2.zip"
fi
