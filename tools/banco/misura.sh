#!/usr/bin/env bash
# Runs each build benchmark in a process of its own, so that the reported peak
# memory is that benchmark's. Usage: tools/banco/misura.sh [build folder]
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${1:-build/default}
cmake --preset default >/dev/null
cmake --build "$build" -j2 --target banco_costruzione >/dev/null
for b in scenario_spedito percorso_massimo tracciato_massimo; do
  "$build/tools/banco/banco_costruzione" --benchmark_filter="^$b\$" --benchmark_min_time=1
done
