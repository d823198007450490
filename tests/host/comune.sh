# shellcheck shell=bash
# Shared by the host tests: temporary folders, runs of a program in its own
# folder, and checks that report every failure of a case before it ends.
# Sourced, not run.

set -u

nomi_scenario=(
  Valmora2_linea.txt Valmora2_1552-.txt Valmora2_1552_note.txt Valmora2_1552_rallentamenti.txt
  Valmora2_1552_scheda_treno.txt Valmora2_linea.dat Valmora2_1552.sim Valmora2_1552.dat
)
nomi_binari=(Valmora2_linea.dat Valmora2_1552.sim Valmora2_1552.dat)

# Exit statuses of the program.
uscita_riuscita=0
uscita_errore=1
uscita_codice=2
uscita_sistema=3

fallimenti=0
cartelle=()
trap 'rm -rf "${cartelle[@]}"' EXIT

nuova_cartella() {  # sets the named variable to a fresh folder, removed at the end
  local _cartella_nuova
  _cartella_nuova=$(mktemp -d "${TMPDIR:-/tmp}/valmora-ospite.XXXXXX") || exit 1
  cartelle+=("$_cartella_nuova")
  printf -v "$1" '%s' "$_cartella_nuova"
}

fallisci() {
  printf 'FALLITO: %s\n' "$*" >&2
  fallimenti=$((fallimenti + 1))
}

uguale() {  # description, expected, actual
  [ "$2" == "$3" ] || fallisci "$1: atteso [$2], trovato [$3]"
}

esiste() { [ -f "$1" ] || fallisci "manca $1"; }
assente() { [ ! -e "$1" ] || fallisci "non doveva esserci $1"; }

# Runs a program that was copied into its folder; sets stato and righe_errore
# (its standard error, one entry a line). The working folder is elsewhere, so
# nothing lands there by chance.
esegui() {
  local programma=$1
  local uscite
  nuova_cartella uscite
  (cd "$uscite" && timeout 300 "$programma" >"$uscite/stdout" 2>"$uscite/stderr" </dev/null)
  stato=$?
  mapfile -t righe_errore <"$uscite/stderr"
  uguale "standard output di $(basename "$programma")" "" "$(cat "$uscite/stdout")"
}

# Fills the eight names with older content longer than anything a run writes.
riempi_con_file_vecchi() {
  local d=$1 n
  for n in "${nomi_scenario[@]}"; do
    head -c 6000000 /dev/zero | tr '\0' 'v' >"$d/$n"
  done
}

# Compares the scenario files a run left in two folders: the same names, the
# same bytes. Folders standing where a file belongs must stand in both.
stessi_file() {  # description, folder, folder
  local n
  uguale "$1: contenuto delle cartelle" "$(ls -A "$2" | grep -vx 'valmora2\(\.exe\)\?')" \
    "$(ls -A "$3" | grep -vx 'valmora2\(\.exe\)\?')"
  for n in "${nomi_scenario[@]}"; do
    if [ -d "$2/$n" ] || [ -d "$3/$n" ]; then
      [ -d "$2/$n" ] && [ -d "$3/$n" ] || fallisci "$1: $n è una cartella in una sola delle due"
    elif [ -e "$2/$n" ] || [ -e "$3/$n" ]; then
      if [ ! -e "$2/$n" ] || [ ! -e "$3/$n" ]; then
        fallisci "$1: $n c'è in una sola delle due"
      elif ! cmp -s "$2/$n" "$3/$n"; then
        fallisci "$1: $n differisce ($(stat -c %s "$2/$n") e $(stat -c %s "$3/$n") byte)"
      fi
    fi
  done
}

fine_caso() {
  if [ "$fallimenti" -ne 0 ]; then
    printf '%d controlli falliti\n' "$fallimenti" >&2
    exit 1
  fi
  exit 0
}

# Wine's own launcher takes its 32-bit loader whenever that is installed; a
# kernel that runs no 32-bit programs cannot start it, and then every wine
# command fails. There the 64-bit loader runs the 64-bit programs, through
# wrappers first in PATH, and the 32-bit programs are left out.
wine_solo_64=0
usa_wine_possibile() {
  [ -x /usr/lib/wine/wine ] && [ -x /usr/lib/wine/wine64 ] || return 0
  /usr/lib/wine/wine --version >/dev/null 2>&1 && return 0
  local d n
  nuova_cartella d
  for n in wine wine-stable; do
    printf '#!/bin/sh\nexec /usr/lib/wine/wine64 "$@"\n' >"$d/$n"
    chmod +x "$d/$n"
  done
  export WINELOADER=/usr/lib/wine/wine64
  export PATH="$d:$PATH"
  wine_solo_64=1
}

# One wineserver for a prefix, up from before its first program until after
# its last. Left to itself, a server exits a few seconds after its last
# client has gone, and when the last program ends it first stops the prefix's
# own services: a program that starts in either moment connects to a server
# on its way out and dies with "wine client error:0: recvmsg: Connection
# reset by peer". A persistent server has no such moment.
wineserver_persistente() {
  mkdir -p "$WINEPREFIX"
  wineserver -p </dev/null
}

# Ends the prefix's server and waits until it has gone, so that the next
# server of the same prefix starts only after it.
ferma_wineserver() {
  wineserver -k </dev/null 2>/dev/null
  wineserver -w </dev/null 2>/dev/null
  return 0
}
