#!/usr/bin/env bash
# The Windows package as scripts/pacchetto.sh leaves it: the program and the
# authors' tool as the windows preset built them, both x86-64 Windows
# programs, the README as it stands, and with zip at hand the zip of the
# three.

# shellcheck source=tests/host/comune.sh
source "$(dirname "$0")/comune.sh"

radice=$(cd "$(dirname "$0")/../.." && pwd)
nuova_cartella d
if ! bash "$radice/scripts/pacchetto.sh" "$d" >"$d/registro" 2>&1; then
  fallisci "pacchetto.sh non riesce"
  tail -n 20 "$d/registro" >&2
  fine_caso
fi
p=$d/valmora2
uguale "contenuto del pacchetto" "README.md autori.exe valmora2.exe" "$(find "$p" -mindepth 1 -printf '%f\n' | LC_ALL=C sort | paste -sd ' ')"
for f in valmora2.exe tools/autori.exe; do
  cmp -s "$radice/build/windows/$f" "$p/${f#tools/}" || fallisci "${f#tools/} non è quello costruito"
done
cmp -s "$radice/README.md" "$p/README.md" || fallisci "README.md diverso dal sorgente"

# "MZ" at the start; at the offset held at 0x3C, "PE\0\0" and the machine
# 0x8664, little-endian.
for f in valmora2.exe autori.exe; do
  uguale "$f: intestazione DOS" "4d 5a" "$(od -An -tx1 -N2 "$p/$f" | xargs)"
  pe=$(od -An -tu4 -j60 -N4 "$p/$f" | xargs)
  uguale "$f: intestazione PE per x86-64" "50 45 00 00 64 86" "$(od -An -tx1 -j"${pe:-0}" -N6 "$p/$f" | xargs)"
done

if command -v zip >/dev/null; then
  uguale "contenuto dello zip" "valmora2/ valmora2/README.md valmora2/autori.exe valmora2/valmora2.exe" \
    "$(zip -sf "$d/valmora2.zip" | sed -n 's/^  //p' | LC_ALL=C sort | paste -sd ' ')"
fi
fine_caso
