#!/usr/bin/env bash
# A long fuzz run on demand, one target at a time, one job (the machine has
# two cores). The working corpus lives under the build folder and grows from
# the one in the tree; with --unisci the inputs that add coverage are merged
# back into the tree's corpus at the end (review them before committing).
#
#   tests/fuzz/lungo.sh TARGET [SECONDS] [--unisci]    TARGET: costruzione, decodifica
#   (default 3600 s; extra libFuzzer flags in VALMORA_FUZZ_FLAGS)
set -euo pipefail

radice=$(cd "$(dirname "$0")/../.." && pwd)
costruzione=${VALMORA_FUZZ_BUILD:-$radice/build/fuzz}
b=${1:?target: costruzione or decodifica}
durata=${2:-3600}
unisci=${3:-}

CXX=${CXX_FUZZ:-clang++} cmake -S "$radice" -B "$costruzione" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DVALMORA_FUZZ=ON -DVALMORA_TESTS=OFF -DVALMORA_TOOLS=OFF >/dev/null
cmake --build "$costruzione" -j2 --target "fuzz_$b"

lavoro="$costruzione/lungo/$b"
mkdir -p "$lavoro/corpus" "$lavoro/artefatti"
dizionario=()
[ -f "$radice/tests/fuzz/$b.dict" ] && dizionario=(-dict="$radice/tests/fuzz/$b.dict")
set +e
# shellcheck disable=SC2086
"$costruzione/tests/fuzz/fuzz_$b" "$lavoro/corpus" "$radice/tests/fuzz/corpus/$b" "${dizionario[@]}" \
  -max_total_time="$durata" -timeout=10 -rss_limit_mb=2048 -entropic_scale_per_exec_time=1 \
  -use_value_profile=1 -print_final_stats=1 -artifact_prefix="$lavoro/artefatti/" ${VALMORA_FUZZ_FLAGS:-} \
  >"$lavoro/log" 2>&1
stato=$?
set -e
grep -E '^(Done|stat::|==[0-9]+==ERROR|SUMMARY)' "$lavoro/log" || true

if [ "$unisci" == "--unisci" ]; then
  "$costruzione/tests/fuzz/fuzz_$b" -merge=1 "$radice/tests/fuzz/corpus/$b" "$lavoro/corpus" >"$lavoro/unione.log" 2>&1
  echo "corpus in the tree: $(find "$radice/tests/fuzz/corpus/$b" -type f | wc -l) inputs"
fi
ls -l "$lavoro/artefatti"
exit "$stato"
