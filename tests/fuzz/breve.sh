#!/usr/bin/env bash
# A short fuzz run with a fixed budget, for CI: builds the fuzz targets with
# clang and runs each over a scratch copy of its corpus in the tree. Fails on
# any crash, sanitizer report, timeout or out-of-memory; the input that
# caused it is left under the build folder.
#
#   tests/fuzz/breve.sh [SECONDS]     (default 60, shared among the targets)
set -euo pipefail

radice=$(cd "$(dirname "$0")/../.." && pwd)
costruzione=${VALMORA_FUZZ_BUILD:-$radice/build/fuzz}
budget=${1:-60}

CXX=${CXX_FUZZ:-clang++} cmake -S "$radice" -B "$costruzione" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DVALMORA_FUZZ=ON -DVALMORA_TESTS=OFF -DVALMORA_TOOLS=OFF >/dev/null
cmake --build "$costruzione" -j2 --target valmora_fuzz

# check reads what the build reads: it starts from the build's seeds.
semi() { if [ "$1" = verifica ]; then echo costruzione; else echo "$1"; fi; }

bersagli=()
for b in costruzione decodifica verifica lsp; do
  [ -x "$costruzione/tests/fuzz/fuzz_$b" ] && bersagli+=("$b")
done
[ ${#bersagli[@]} -gt 0 ] || { echo "no fuzz target built" >&2; exit 1; }
quota=$((budget / ${#bersagli[@]}))

esito=0
for b in "${bersagli[@]}"; do
  lavoro="$costruzione/breve/$b"
  rm -rf "$lavoro"
  mkdir -p "$lavoro/corpus" "$lavoro/artefatti"
  cp "$radice/tests/fuzz/corpus/$(semi "$b")"/* "$lavoro/corpus/"
  dizionario=()
  [ -f "$radice/tests/fuzz/$(semi "$b").dict" ] && dizionario=(-dict="$radice/tests/fuzz/$(semi "$b").dict")
  echo "== fuzz_$b: $quota s"
  if "$costruzione/tests/fuzz/fuzz_$b" "$lavoro/corpus" "${dizionario[@]}" -max_total_time="$quota" \
    -timeout=10 -rss_limit_mb=2048 -entropic_scale_per_exec_time=1 -print_final_stats=1 \
    -artifact_prefix="$lavoro/artefatti/" >"$lavoro/log" 2>&1; then
    grep -E '^(Done|stat::number_of_executed_units|stat::average_exec_per_sec)' "$lavoro/log" || true
    echo "corpus: $(find "$lavoro/corpus" -type f | wc -l) inputs"
  else
    esito=1
    tail -n 60 "$lavoro/log"
    echo "fuzz_$b FOUND A FAULT; inputs in $lavoro/artefatti:" >&2
    ls -l "$lavoro/artefatti" >&2
  fi
done
exit $esito
