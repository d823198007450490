#!/usr/bin/env bash
# The console host as it is delivered: copied into a folder of its own, where
# its files land.
#
#   console_test.sh CASE VALMORA2 [PROVA_ERRORE]
#
# esecuzione          a run in a clean folder, whatever the documents hold
# scenario_consegnato what the shipped documents decide
# file_vecchi         a run over older, longer files
# cartella_bloccata   a folder where a file cannot be written
# errore              the text and status of errore

# shellcheck source=tests/host/comune.sh
source "$(dirname "$0")/comune.sh"

caso=$1
programma=$2

esecuzione() {
  local d
  nuova_cartella d
  cp "$programma" "$d/valmora2"
  esegui "$d/valmora2"
  uguale "prima riga di standard error" "Attendere" "${righe_errore[0]-}"
  case $stato in
    "$uscita_riuscita")
      uguale "righe di standard error" 1 "${#righe_errore[@]}"
      ;;
    "$uscita_errore")
      uguale "righe di standard error" 2 "${#righe_errore[@]}"
      [[ ${righe_errore[1]-} =~ ^\ Errore\ n\.\ [0-9]+$ ]] || fallisci "riga di errore: [${righe_errore[1]-}]"
      ;;
    "$uscita_codice")
      uguale "righe di standard error" 2 "${#righe_errore[@]}"
      [[ ${righe_errore[1]-} =~ ^codice_errore\ [1-9][0-9]*\ posizione_errore\ -?[0-9]+$ ]] ||
        fallisci "riga del codice registrato: [${righe_errore[1]-}]"
      ;;
    *) fallisci "stato di uscita $stato" ;;
  esac
  # errore ends a run before any scenario file is written; otherwise all three are.
  local n
  for n in "${nomi_binari[@]}"; do
    if [ "$stato" == "$uscita_errore" ]; then assente "$d/$n"; else esiste "$d/$n"; fi
  done
  # The line description is deleted on every road; the three texts nobody
  # reads stay.
  assente "$d/Valmora2_linea.txt"
  for n in Valmora2_1552_note.txt Valmora2_1552_rallentamenti.txt Valmora2_1552_scheda_treno.txt; do
    [ -s "$d/$n" ] || fallisci "$n manca o è vuoto"
  done
}

# Expectations that hold once the real documents are in the program: a clean
# build of a 270000 m route.
scenario_consegnato() {
  local d n
  nuova_cartella d
  cp "$programma" "$d/valmora2"
  esegui "$d/valmora2"
  uguale "stato di uscita" "$uscita_riuscita" "$stato"
  uguale "standard error" "Attendere" "$(printf '%s\n' "${righe_errore[@]}")"
  assente "$d/Valmora2_linea.txt"
  assente "$d/Valmora2_1552-.txt"
  for n in Valmora2_1552_note.txt Valmora2_1552_rallentamenti.txt Valmora2_1552_scheda_treno.txt; do
    esiste "$d/$n"
  done
  # 20 * (L + 7000) - 36 and 15 * (round((L + 7000) / 50) + 1) bytes; the
  # table has 87 rows of 34 bytes plus texts.
  # L = 270000: 20 (L + 7000) - 36 bytes of plan, round((L + 7000) / 50) + 1 cells of 15.
  uguale "byte di Valmora2_linea.dat" $((20 * 277000 - 36)) "$(stat -c %s "$d/Valmora2_linea.dat" 2>/dev/null)"
  uguale "byte di Valmora2_1552.dat" $((5541 * 15)) "$(stat -c %s "$d/Valmora2_1552.dat" 2>/dev/null)"
  local sim
  sim=$(stat -c %s "$d/Valmora2_1552.sim" 2>/dev/null || echo 0)
  [ "$sim" -gt $((87 * 34 + 8 + 4)) ] || fallisci "Valmora2_1552.sim di $sim byte"
}

file_vecchi() {
  local pulita vecchia prima stato_pulita n
  nuova_cartella pulita
  nuova_cartella vecchia
  nuova_cartella prima
  prima=$prima/Valmora2_1552.dat
  cp "$programma" "$pulita/valmora2"
  cp "$programma" "$vecchia/valmora2"
  # 6 MB in each of the eight names: longer than anything a run writes.
  riempi_con_file_vecchi "$vecchia"
  cp "$vecchia/Valmora2_1552.dat" "$prima"
  esegui "$pulita/valmora2"
  stato_pulita=$stato
  esegui "$vecchia/valmora2"
  uguale "stato di uscita sopra file vecchi" "$stato_pulita" "$stato"
  # Every file the clean run leaves is there with exactly its bytes; a file it
  # does not write (all binaries after errore) is left as it was; the
  # descriptions it deletes are gone.
  for n in "${nomi_scenario[@]}"; do
    if [ -e "$pulita/$n" ]; then
      cmp -s "$pulita/$n" "$vecchia/$n" ||
        fallisci "$n: $(stat -c %s "$vecchia/$n") byte, una corsa pulita ne scrive $(stat -c %s "$pulita/$n")"
    elif [[ $n == *.txt ]]; then
      assente "$vecchia/$n"
    else
      cmp -s "$prima" "$vecchia/$n" || fallisci "$n, non scritto, è cambiato"
    fi
  done
}

cartella_bloccata() {
  local d n
  nuova_cartella d
  cp "$programma" "$d/valmora2"
  # The scenario files of an earlier run, and a folder standing where the
  # slowdown orders must be written: root writes anywhere, but not that.
  for n in "${nomi_binari[@]}"; do printf 'corsa precedente %s' "$n" >"$d/$n"; done
  mkdir "$d/Valmora2_1552_rallentamenti.txt"
  esegui "$d/valmora2"
  uguale "stato di uscita" "$uscita_sistema" "$stato"
  uguale "prima riga di standard error" "Attendere" "${righe_errore[0]-}"
  # The platform's number and text for EISDIR, and the file it happened on.
  [[ ${righe_errore[1]-} =~ ^Errore\ di\ sistema\ 21:\ .*/Valmora2_1552_rallentamenti\.txt.*:\ Is\ a\ directory$ ]] ||
    fallisci "messaggio della piattaforma: [${righe_errore[1]-}]"
  uguale "righe di standard error" 2 "${#righe_errore[@]}"
  # What was written before the failure stays; nothing after it is written.
  for n in Valmora2_linea.txt Valmora2_1552-.txt Valmora2_1552_note.txt; do esiste "$d/$n"; done
  assente "$d/Valmora2_1552_scheda_treno.txt"
  for n in "${nomi_binari[@]}"; do
    uguale "$n della corsa precedente" "corsa precedente $n" "$(cat "$d/$n")"
  done
}

errore() {
  local d
  nuova_cartella d
  cp "$1" "$d/prova_errore"
  esegui "$d/prova_errore"
  uguale "stato di uscita" "$uscita_errore" "$stato"
  uguale "standard error" " Errore n. 1251" "$(printf '%s\n' "${righe_errore[@]}")"
  uguale "file lasciati" "prova_errore" "$(ls -A "$d")"
}

case $caso in
  esecuzione | scenario_consegnato | file_vecchi | cartella_bloccata) "$caso" ;;
  errore) errore "$3" ;;
  *)
    echo "caso sconosciuto: $caso" >&2
    exit 2
    ;;
esac
fine_caso
