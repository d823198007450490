#!/usr/bin/env bash
# Builds and passes the tests, in one of two tiers:
#
#   scripts/prova.sh          the whole suite, as CI runs it: the native and the
#                             Windows build, every test (the Windows build's
#                             under Wine, the host matrix), every build type
#                             warning-free, a short fuzz run, and the suite again
#                             under the sanitizers
#   scripts/prova.sh rapido   the native build and every test that needs
#                             neither Wine nor a cross compiler
#
# Each phase says how long it took, and a table of them closes the run.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/pacchetti.sh

livello=${1:-tutto}
case $livello in
  tutto | rapido) ;;
  *)
    echo "uso: scripts/prova.sh [rapido]  (senza argomento: tutta la suite)" >&2
    exit 64
    ;;
esac

fasi=()
inizio_prova=$SECONDS
riepilogo() {
  local stato=$? f cpu
  cpu_figli cpu
  rm -f "$registro_tempi"
  echo
  echo "== fasi di scripts/prova.sh $livello"
  for f in "${fasi[@]}"; do echo "$f"; done
  printf '%-28s %5d s  (cpu %5d s)\n' "in tutto" $((SECONDS - inizio_prova)) "$cpu"
  [ "$stato" -eq 0 ] || echo "scripts/prova.sh $livello: FALLITO (stato $stato)"
}
trap riepilogo EXIT

# The processor time of this script's finished children, in seconds, into
# the variable named: on a busy machine it still tells what a phase costs.
# times runs in this shell, never a subshell, whose children are not these.
registro_tempi=$(mktemp)
cpu_figli() {
  times >"$registro_tempi"
  printf -v "$1" '%s' "$(awk 'NR == 2 {
    n = 0
    for (i = 1; i <= 2; i++) { split($i, p, "m"); n += p[1] * 60 + p[2] }
    printf "%d", n
  }' "$registro_tempi")"
}

# fase NAME COMMAND...: runs one phase and keeps its times for the table.
fase() {
  local nome=$1 inizio=$SECONDS cpu prima
  cpu_figli prima
  shift
  echo "== $nome"
  "$@"
  cpu_figli cpu
  fasi+=("$(printf '%-28s %5d s  (cpu %5d s)' "$nome" $((SECONDS - inizio)) $((cpu - prima)))")
}

pacchetti() {
  installa_mancanti cmake g++ ccache libgtest-dev libbenchmark-dev nlohmann-json3-dev libssl-dev libcli11-dev \
    libcpp-httplib-dev chromium fonts-dejavu-core neovim
  command -v node >/dev/null && command -v npm >/dev/null || installa_mancanti nodejs npm
  [ "$livello" == rapido ] && return
  installa_mancanti clang libclang-rt-14-dev g++-mingw-w64-x86-64-win32 zip wine wine64 libwine xvfb xauth \
    xdotool fonts-wine
  # The host matrix: cross compilers, qemu-user, and Wine's 32-bit half (i386).
  abilita_architettura i386
  installa_mancanti g++-i686-linux-gnu g++-aarch64-linux-gnu g++-s390x-linux-gnu g++-mingw-w64-i686-win32 \
    qemu-user-static wine32:i386 jq
}

# A compiler cache outside the clone, shared by every build tree and clone of
# this machine: paths under the clone are hashed relative to it. A cold cache
# (a fresh machine) only costs its bookkeeping; CCACHE_DISABLE=1 turns it off.
usa_cache() {
  command -v ccache >/dev/null || return 0
  export CMAKE_CXX_COMPILER_LAUNCHER=ccache CMAKE_C_COMPILER_LAUNCHER=ccache
  CCACHE_BASEDIR=$(pwd)
  export CCACHE_BASEDIR CCACHE_NOHASHDIR=1
  ccache --zero-stats >/dev/null
}

nativo() {
  cmake --preset default >/dev/null
  cmake --build --preset default --parallel 2
  # Every test says by its label what it needs, so that a tier never leaves
  # one out unseen.
  local senza
  senza=$(ctest --preset default -N -LE '.' | sed -n 's/^Total Tests: //p')
  if [ "$senza" != 0 ]; then
    ctest --preset default -N -LE '.' >&2
    echo "test senza etichetta: ognuno ne ha una (unit, host, golden, tool, browser, editor, wine, matrix, package)" >&2
    return 1
  fi
}

windows() {
  cmake --preset windows >/dev/null
  cmake --build --preset windows --parallel 2
}

# Every build type from a plain configure, as a user builds by hand: no
# preset, so no -Werror, and yet not one warning. RelWithDebInfo is the
# default preset's type, built above with warnings as errors; the test
# targets were built there and under the sanitizers (Debug), so here the
# product, the tool and the benchmarks are built.
tipi() {
  local tipo registro
  mkdir -p build
  for tipo in Release Debug MinSizeRel; do
    registro="build/tipo-$tipo.log"
    cmake -S . -B "build/tipo-$tipo" -DCMAKE_BUILD_TYPE="$tipo" -DVALMORA_TESTS=OFF >"$registro" 2>&1 &&
      cmake --build "build/tipo-$tipo" --parallel 2 >>"$registro" 2>&1 || {
      cat "$registro"
      return 1
    }
    if grep -B2 -A6 'warning:' "$registro"; then
      echo "la build $tipo dà avvisi" >&2
      return 1
    fi
  done
}

sanitizzata() {
  cmake --preset sanitize >/dev/null
  cmake --build --preset sanitize --parallel 2
  ctest --preset sanitize --parallel 2
}

fase pacchetti pacchetti
usa_cache
fase "build nativa" nativo
if [ "$livello" == rapido ]; then
  fase "test nativi" ctest --preset default --parallel 2 -LE 'wine|matrix|package'
  exit 0
fi
fase "build Windows" windows
fase "test (tutti)" ctest --preset default --parallel 2
fase "tipi di build" tipi
# A short fuzz run of the build and of the decoders (clang, libFuzzer).
fase "fuzz" tests/fuzz/breve.sh 60
# The whole suite again under AddressSanitizer and UndefinedBehaviorSanitizer;
# the Wine tests and the host matrix ran above.
fase "sanitizzatori" sanitizzata
command -v ccache >/dev/null && ccache --show-stats | grep -E 'Hits|Misses' || true
