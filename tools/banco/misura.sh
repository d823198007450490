#!/usr/bin/env bash
# Times whole builds. First the benchmarks, each in a process of its own so
# that the peak resident size it reports is that benchmark's. Then whole runs
# timed as processes beside a baseline that only creates the same files and
# writes the same bytes into them, one write each (banco_base): the shipped
# scenario as the program runs it in its folder, and the route of the
# maximum length (banco_percorso). Each pair runs RUNS times in turn, A then
# B, with hyperfine; the medians, the median of the paired ratios and the
# peak resident size of one run of each (/usr/bin/time) are printed.
# Usage: tools/banco/misura.sh [build folder] [RUNS]
set -euo pipefail
cd "$(dirname "$0")/../.."
source scripts/pacchetti.sh
installa_mancanti hyperfine time
build=${1:-build/default}
giri=${2:-31}
cmake --preset default >/dev/null
cmake --build "$build" -j2 --target valmora2 autori banco_costruzione banco_percorso banco_base banco_lsp >/dev/null

for b in scenario_spedito percorso_massimo tracciato_massimo; do
  "$build/tools/banco/banco_costruzione" --benchmark_filter="^$b\$" --benchmark_min_time=1
done
# autori lsp: from a change to its diagnostics.
"$build/tools/banco/banco_lsp" --benchmark_min_time=1

lavoro=$(mktemp -d)
trap 'rm -rf "$lavoro"' EXIT
base="$build/tools/banco/banco_base"

# Prints the median of the numbers on standard input, times SCALE.
mediana() {
  sort -g | awk -v k="${1:-1}" '{ v[NR] = $1 } END { printf "%.3f", k * (NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2) }'
}

# confronta NAME FILES A...: A is the build, FILES the folder holding the
# files it writes, which the baseline writes again into a folder of its own.
confronta() {
  local nome=$1 file=$2
  shift 2
  local dest="$lavoro/base_$RANDOM" tempi="$lavoro/tempi_$RANDOM"
  mkdir -p "$dest"
  : >"$tempi"
  for ((i = 0; i <= giri; ++i)); do
    hyperfine -N --runs 1 --style none --export-csv "$lavoro/giro.csv" -- "$*" "$base $file $dest" >/dev/null
    # The first round only warms the caches.
    ((i == 0)) || awk -F, 'NR == 2 { a = $4 } NR == 3 { b = $4 } END { print a, b, a / b }' "$lavoro/giro.csv" >>"$tempi"
  done
  local byte picco_a picco_b
  byte=$(find "$file" -maxdepth 1 -type f -printf '%s\n' | awk '{ s += $1 } END { print s }')
  picco_a=$(/usr/bin/time -f %M "$@" 2>&1 >/dev/null | tail -1)
  picco_b=$(/usr/bin/time -f %M "$base" "$file" "$dest" 2>&1 >/dev/null | tail -1)
  echo "$nome: $giri runs each, A the build, B the baseline"
  echo "  median wall A $(cut -d' ' -f1 "$tempi" | mediana 1000) ms, B $(cut -d' ' -f2 "$tempi" | mediana 1000) ms," \
    "A/B $(cut -d' ' -f3 "$tempi" | mediana) (median of the paired ratios)"
  echo "  bytes written $byte; peak resident A $picco_a KiB, B $picco_b KiB;" \
    "A's peak over the bytes $(awk -v p="$picco_a" -v b="$byte" 'BEGIN { printf "%.2f", p * 1024 / b }')"
}

# The shipped scenario: the program in a folder of its own. The two
# descriptions it deletes come from autori documents.
mkdir -p "$lavoro/programma" "$lavoro/spedito"
cp "$build/valmora2" "$lavoro/programma/"
"$lavoro/programma/valmora2" 2>/dev/null
"$build/tools/autori" documents "$lavoro/spedito" >/dev/null
cp "$lavoro/programma/"*.dat "$lavoro/programma/"*.sim "$lavoro/spedito/"
confronta "shipped scenario" "$lavoro/spedito" "$lavoro/programma/valmora2"

# The route of the maximum length.
mkdir -p "$lavoro/percorso" "$lavoro/massimo"
"$build/tools/banco/banco_percorso" "$lavoro/percorso"
"$build/tools/banco/banco_percorso" "$lavoro/massimo" --descrizioni
cp "$lavoro/percorso/"*.dat "$lavoro/percorso/"*.sim "$lavoro/massimo/"
confronta "1,000,000 m route" "$lavoro/massimo" "$build/tools/banco/banco_percorso" "$lavoro/percorso"
