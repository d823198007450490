#!/usr/bin/env bash
# The host matrix: the same scenario files, byte for byte, from every host.
# Each host's build of the console program (the Windows program on Windows)
# runs the shipped scenario in a folder of its own, and its build of
# compila_molti builds the golden pairs, the fuzz seeds of the build and the
# pairs of tests/host/matrice; everything they leave must equal what the
# native build leaves.
#
#   matrice_test.sh riferimento STATE_FOLDER NATIVE_VALMORA2 NATIVE_COMPILA_MOLTI
#   matrice_test.sh HOST STATE_FOLDER [WINDOWS_PRESET_BUILD]
#
# riferimento  the native files, checked against the golden manifest and the
#              expected outcomes of tests/host/matrice
# HOST         cross-builds the console program and compila_molti (Release,
#              static) into STATE_FOLDER/HOST, runs them under qemu-user or
#              Wine and compares; exits 77 (skipped) when the cross compiler
#              or the emulator is missing; mingw-w64 takes the windows
#              preset's build when it is given and configured. One of:
#   i686-linux-gnu     32-bit x86 Linux, under qemu-i386
#   aarch64-linux-gnu  64-bit ARM Linux, under qemu-aarch64
#   s390x-linux-gnu    big-endian s390x Linux, under qemu-s390x
#   mingw-w64          64-bit Windows, under Wine
#   mingw-w64-i686     32-bit Windows, under Wine (needs wine32)

# shellcheck source=tests/host/comune.sh
source "$(dirname "$0")/comune.sh"

sorgenti=$(cd "$(dirname "$0")/../.." && pwd)
caso=$1
stato_matrice=$2
windows_preset=${3-}
riferimento=$stato_matrice/riferimento
salta=77

# What a run leaves, for each set: the folder the files land in.
insiemi=(scenario golden semi prove)

# Runs the console program in a folder of its own, then compila_molti over
# the three sets, all prefixed by the launcher given (none natively), into
# DEST. The inputs are links inside DEST, named by relative paths, so that
# Wine reaches them as it reaches DEST.
produci() {  # dest, console program, compila_molti, launcher...
  local dest=$1 programma=$2 compila=$3
  shift 3
  local lancia=("$@") nome stato_run
  rm -rf "$dest"
  mkdir -p "$dest/scenario" "$dest/ingressi"
  ln -s "$sorgenti/tests/golden" "$dest/ingressi/golden"
  ln -s "$sorgenti/tests/fuzz/corpus/costruzione" "$dest/ingressi/semi"
  ln -s "$sorgenti/tests/host/matrice" "$dest/ingressi/prove"
  nome=$(basename "$programma")
  cp "$programma" "$dest/scenario/$nome"
  (cd "$dest/scenario" && timeout 600 "${lancia[@]}" "./$nome" >../scenario.out 2>../scenario.err </dev/null)
  stato_run=$?
  # The shipped scenario builds clean on every host; any other status is this
  # run's fault, told with what it wrote.
  [ "$stato_run" -eq "$uscita_riuscita" ] ||
    fallisci "$nome in $dest/scenario: stato $stato_run ($(perche_fallita "$dest/scenario.err"))"
  rm "$dest/scenario/$nome"
  printf 'stato_uscita %s\n' "$stato_run" >"$dest/scenario/esito.txt"
  cp "$compila" "$dest/"
  compila=./$(basename "$compila")
  local argomenti
  for argomenti in "golden ingressi/golden" "--semi semi ingressi/semi" "prove ingressi/prove"; do
    # shellcheck disable=SC2086 # the words of one call
    (cd "$dest" && timeout 900 "${lancia[@]}" "$compila" $argomenti >compila_molti.out 2>compila_molti.err \
      </dev/null) || fallisci "compila_molti $argomenti: stato $? in $dest ($(perche_fallita "$dest/compila_molti.err"))"
    cat "$dest/compila_molti.err" >>"$dest/compila_molti.log"
  done
}

# Why a run failed, from what it wrote on standard error: a lost connection to
# the wineserver is named as such, since it is no fault of the program.
perche_fallita() {
  if grep -q 'wine client error' "$1"; then
    printf 'Wine ha perso il wineserver: %s' "$(grep -m1 'wine client error' "$1")"
  elif [ -s "$1" ]; then
    tail -n 5 "$1" | tr '\n' ' '
  else
    printf 'nessun messaggio'
  fi
}

# Every file under two folders: the same names and the same bytes. Sets
# confrontati to the number of files compared.
confronta() {  # description, reference folder, host folder
  local elenco_r elenco_o f
  elenco_r=$(cd "$2" && find . -type f | sort)
  elenco_o=$(cd "$3" && find . -type f | sort)
  if [ "$elenco_r" != "$elenco_o" ]; then
    fallisci "$1: file diversi: $(diff <(echo "$elenco_r") <(echo "$elenco_o") | grep '^[<>]' | head -n 5 |
      tr '\n' ' ')"
  fi
  confrontati=0
  while IFS= read -r f; do
    [ -f "$3/$f" ] || continue
    confrontati=$((confrontati + 1))
    cmp -s "$2/$f" "$3/$f" || fallisci "$1: ${f#./}: $(cmp "$2/$f" "$3/$f" 2>&1 | sed 's/.* differ: //')"
  done <<<"$elenco_r"
}

# The native golden builds against their manifest: outcome, digests, and
# no scenario file beyond those it lists.
controlla_manifesto() {
  local cartella=$riferimento/golden manifesto=$sorgenti/tests/golden/manifest.json
  command -v jq >/dev/null || {
    fallisci "jq non è installato"
    return
  }
  local nome uscita codice posizione fatale n=0
  while IFS=$'\t' read -r nome uscita codice posizione fatale; do
    n=$((n + 1))
    local e=$cartella/$nome/esito.txt
    [ -f "$e" ] || {
      fallisci "$nome: nessun esito"
      continue
    }
    uguale "$nome: stato" "stato_uscita $uscita" "$(sed -n 1p "$e")"
    [ "$codice" == null ] || uguale "$nome: codice" "codice $codice" "$(sed -n 2p "$e")"
    uguale "$nome: posizione" "posizione $posizione" "$(sed -n 3p "$e")"
    uguale "$nome: fatale" "fatale $fatale" "$(sed -n 4p "$e")"
  done < <(jq -r '.[] | [.name, .exit_status, (.code // "null"), .position, (.fatal // "-")] | @tsv' "$manifesto")
  uguale "coppie del manifesto" "$(find "$sorgenti/tests/golden" -name linea.txt | wc -l)" "$n"
  # A build that stops before the train half leaves its train description.
  local attesi trovati
  attesi=$(jq -r '.[] | .name as $n | .sha256 | keys[] | "./\($n)/\(.)"' "$manifesto" | sort)
  trovati=$(cd "$cartella" && find . -type f \( -name '*.dat' -o -name '*.sim' \) | sort)
  [ "$attesi" == "$trovati" ] || fallisci "file scritti dalle costruzioni golden, manifesto < > trovati: $(
    diff <(echo "$attesi") <(echo "$trovati") | grep '^[<>]' | head -n 5 | tr '\n' ' '
  )"
  (cd "$cartella" && jq -r '.[] | .name as $n | .sha256 | to_entries[] | "\(.value)  \($n)/\(.key)"' "$manifesto" |
    sha256sum --quiet -c -) >&2 || fallisci "digest diversi dal manifesto"
}

# The pairs of tests/host/matrice reach the outcome they were written for.
controlla_prove() {
  local d nome
  for d in "$sorgenti"/tests/host/matrice/*/; do
    nome=$(basename "$d")
    [ -f "$d/esito_atteso.txt" ] || {
      fallisci "$nome: manca esito_atteso.txt"
      continue
    }
    uguale "$nome: esito" "$(cat "$d/esito_atteso.txt")" "$(head -n 2 "$riferimento/prove/$nome/esito.txt")"
  done
}

riferimento() {
  local valmora2=$1 compila=$2
  produci "$riferimento" "$valmora2" "$compila"
  uguale "scenario consegnato: stato" "stato_uscita $uscita_riuscita" "$(cat "$riferimento/scenario/esito.txt")"
  controlla_manifesto
  controlla_prove
}

# The cross build of one host: toolchain file, compiler, and the launcher.
ospite() {
  local nome=$1 toolchain compilatore lancia=() windows=0 p
  case $nome in
    i686-linux-gnu | aarch64-linux-gnu | s390x-linux-gnu)
      toolchain=$nome
      compilatore=$nome-g++
      local cpu=${nome%%-*}
      [ "$cpu" == i686 ] && cpu=i386
      for p in "qemu-$cpu-static" "qemu-$cpu"; do
        if command -v "$p" >/dev/null; then
          lancia=("$p")
          break
        fi
      done
      [ ${#lancia[@]} -gt 0 ] || {
        echo "SALTATO: manca qemu-$cpu-static (qemu-user-static)"
        exit $salta
      }
      ;;
    mingw-w64)
      toolchain=mingw-w64
      compilatore=x86_64-w64-mingw32-g++
      windows=1
      ;;
    mingw-w64-i686)
      toolchain=mingw-w64-i686
      compilatore=i686-w64-mingw32-g++
      windows=1
      ;;
    *)
      echo "ospite sconosciuto: $nome" >&2
      exit 2
      ;;
  esac
  command -v "$compilatore" >/dev/null || {
    echo "SALTATO: manca il compilatore $compilatore"
    exit $salta
  }
  if [ $windows -eq 1 ]; then
    for p in wine wineboot wineserver; do
      command -v "$p" >/dev/null || {
        echo "SALTATO: manca $p (wine)"
        exit $salta
      }
    done
    usa_wine_possibile
    if [ "$nome" = mingw-w64-i686 ] && [ $wine_solo_64 -eq 1 ]; then
      echo "SALTATO: questo kernel non esegue programmi a 32 bit, e Wine non ha la sua metà a 32 bit"
      exit $salta
    fi
    lancia=(wine)
  fi
  [ -f "$riferimento/scenario/esito.txt" ] || {
    fallisci "nessun riferimento nativo (matrice.riferimento)"
    fine_caso
  }

  local costruzione=$stato_matrice/$nome/costruzione registro=$stato_matrice/$nome/costruzione.log
  mkdir -p "$stato_matrice/$nome"
  local inizio=$SECONDS
  local configura=(cmake -S "$sorgenti" -B "$costruzione" --toolchain "$sorgenti/cmake/$toolchain.cmake"
    -DCMAKE_BUILD_TYPE=Release -DVALMORA_TESTS=OFF -DVALMORA_TOOLS=OFF -DVALMORA_COMPILA_MOLTI=ON
    -DCMAKE_EXE_LINKER_FLAGS=-static)
  # The 64-bit Windows host runs what the windows preset built, the program
  # as it ships; that tree is brought up to date rather than built twice.
  if [ "$nome" == mingw-w64 ] && [ -n "$windows_preset" ] && [ -f "$windows_preset/CMakeCache.txt" ]; then
    costruzione=$windows_preset
    configura=(true)
  fi
  if ! { "${configura[@]}" && cmake --build "$costruzione" --parallel 2 --target valmora2 compila_molti; } \
    >"$registro" 2>&1; then
    tail -n 30 "$registro" >&2
    fallisci "la costruzione per $nome non riesce ($registro)"
    fine_caso
  fi
  echo "costruzione per $nome: $((SECONDS - inizio)) s"
  local suffisso=""
  [ $windows -eq 1 ] && suffisso=.exe

  if [ $windows -eq 1 ]; then
    export WINEPREFIX=$stato_matrice/$nome/prefisso WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
    unset DISPLAY
    ferma_wineserver
    rm -rf "$WINEPREFIX"
    trap 'ferma_wineserver; rm -rf "$WINEPREFIX" "${cartelle[@]}"' EXIT
    wineserver_persistente >"$stato_matrice/$nome/wine.log" 2>&1 || {
      fallisci "wineserver non parte per $nome: $(tail -n 3 "$stato_matrice/$nome/wine.log")"
      fine_caso
    }
    wineboot -i </dev/null >>"$stato_matrice/$nome/wine.log" 2>&1 || fallisci "wineboot -i non riesce"
    # Wine without its 32-bit half says so and runs nothing.
    local prova
    prova=$(wine "$costruzione/compila_molti.exe" 2>&1 </dev/null)
    if [ $? -ne 64 ]; then
      echo "SALTATO: Wine non esegue compila_molti.exe di $nome: $prova"
      exit $salta
    fi
  fi

  inizio=$SECONDS
  local uscite=$stato_matrice/$nome/uscite
  produci "$uscite" "$costruzione/valmora2$suffisso" "$costruzione/compila_molti$suffisso" "${lancia[@]}"
  echo "corse sotto ${lancia[0]}: $((SECONDS - inizio)) s"
  if [ $windows -eq 0 ]; then
    uguale "standard error dello scenario" "$(cat "$riferimento/scenario.err")" "$(cat "$uscite/scenario.err")"
  fi
  local insieme totale=0
  for insieme in "${insiemi[@]}"; do
    confronta "$nome, $insieme" "$riferimento/$insieme" "$uscite/$insieme"
    echo "$insieme: $confrontati file confrontati"
    totale=$((totale + confrontati))
  done
  echo "$nome: $totale file confrontati con il nativo"
  # The files stay for a look when something differs.
  [ "$fallimenti" -eq 0 ] && rm -rf "$uscite"
}

case $caso in
  riferimento) riferimento "$3" "$4" ;;
  *) ospite "$caso" ;;
esac
fine_caso
