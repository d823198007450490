#!/usr/bin/env bash
# Builds the native and the Windows program and passes every test, the
# Windows build's under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/pacchetti.sh

installa_mancanti cmake g++ libgtest-dev libbenchmark-dev clang libclang-rt-14-dev nlohmann-json3-dev libssl-dev \
  libcli11-dev g++-mingw-w64-x86-64-win32 zip wine wine64 libwine xvfb xauth xdotool fonts-wine fonts-dejavu-core chromium \
  neovim npm
# The host matrix: cross compilers, qemu-user, and Wine's 32-bit half (i386).
abilita_architettura i386
installa_mancanti g++-i686-linux-gnu g++-aarch64-linux-gnu g++-s390x-linux-gnu g++-mingw-w64-i686-win32 \
  qemu-user-static wine32:i386 jq

cmake --preset default
cmake --build --preset default --parallel 2
cmake --preset windows
cmake --build --preset windows --parallel 2
ctest --preset default

# Every build type from a plain configure, as a user builds by hand: no
# preset, so no -Werror, and yet not one warning.
for tipo in Release Debug MinSizeRel RelWithDebInfo; do
  registro="build/tipo-$tipo.log"
  mkdir -p build
  cmake -S . -B "build/tipo-$tipo" -DCMAKE_BUILD_TYPE="$tipo" >"$registro" 2>&1 &&
    cmake --build "build/tipo-$tipo" --parallel 2 >>"$registro" 2>&1 || {
    cat "$registro"
    exit 1
  }
  if grep -B2 -A6 'warning:' "$registro"; then
    echo "la build $tipo dà avvisi" >&2
    exit 1
  fi
done

# A short fuzz run of the build and of the decoders (clang, libFuzzer).
tests/fuzz/breve.sh 60

# The whole suite again under AddressSanitizer and UndefinedBehaviorSanitizer;
# the Wine tests and the host matrix ran above.
cmake --preset sanitize
cmake --build --preset sanitize --parallel 2
ctest --preset sanitize
