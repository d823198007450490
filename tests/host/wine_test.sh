#!/usr/bin/env bash
# The Windows build under Wine, on a virtual display, against the native build.
#
#   wine_test.sh CASE STATE_FOLDER WINDOWS_BUILD NATIVE_VALMORA2
#
# prepara            one Wine prefix and one display for the whole test run
# chiudi             ends them
# scenario           a run in a clean folder: the same files and status as native
# file_vecchi        the same over older, longer files
# cartella_bloccata  the same where a file cannot be written: the system's box
# errore             errore's message box, found, read and dismissed by a key
# carattere_largo    the same with a successor face too wide for the label at 24 pt

# shellcheck source=tests/host/comune.sh
source "$(dirname "$0")/comune.sh"

caso=$1
stato_wine=$2
windows=$3
nativo=$4

export WINEPREFIX=$stato_wine/prefisso
export WINEDEBUG=-all
# No Mono or Gecko installers, no menu entries; the English locale gives the
# message box its caption "Error".
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export LC_ALL=C
registro_wine=$stato_wine/wine.log
usa_wine_possibile

# Without the windows preset's build there is nothing to run: skipped, and why.
codice_saltato=77
if [ "$caso" != chiudi ] && [ ! -f "$windows/valmora2.exe" ]; then
  echo "saltato: nessuna build Windows in $windows (cmake --preset windows && cmake --build --preset windows)" >&2
  exit "$codice_saltato"
fi

ferma_ambiente() {
  if [ -d "$WINEPREFIX" ]; then ferma_wineserver >>"$registro_wine" 2>&1; fi
  if [ -s "$stato_wine/xvfb.pid" ]; then
    local pid
    pid=$(cat "$stato_wine/xvfb.pid")
    if [ "$(cat "/proc/$pid/comm" 2>/dev/null)" == Xvfb ]; then kill "$pid"; fi
  fi
  rm -rf "$stato_wine"
}

prepara() {
  local p
  for p in wine wineboot wineserver Xvfb xdotool; do
    command -v "$p" >/dev/null || fallisci "$p non è installato"
  done
  for p in valmora2.exe prova_errore_windows.exe osserva_finestre.exe; do
    [ -f "$windows/$p" ] || fallisci "manca $windows/$p: costruire prima il preset windows"
  done
  [ "$fallimenti" -eq 0 ] || return
  ferma_ambiente
  mkdir -p "$stato_wine"
  # The prefix is made without a display: nothing of it needs one.
  (unset DISPLAY && wineserver_persistente) >>"$registro_wine" 2>&1 || fallisci "wineserver non parte"
  (unset DISPLAY && wineboot -i) </dev/null >>"$registro_wine" 2>&1 || fallisci "wineboot -i non riesce"
  # Debian's fonts for Wine reach windows only from the prefix's own folder.
  cp /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/" || fallisci "caratteri di Wine mancanti"
  # A virtual desktop: on a bare X server every window close stalls about 2 s.
  printf 'REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Wine\\Explorer]\r\n"Desktop"="Default"\r\n\r\n' \
    >"$stato_wine/desktop.reg"
  printf '[HKEY_CURRENT_USER\\Software\\Wine\\Explorer\\Desktops]\r\n"Default"="800x600"\r\n' \
    >>"$stato_wine/desktop.reg"
  (unset DISPLAY && wine regedit /S "$stato_wine/desktop.reg") </dev/null >>"$registro_wine" 2>&1 ||
    fallisci "il registro non accetta il desktop virtuale"
  # The services it started have no display: they end with this server, and
  # the next one starts them again on ours.
  ferma_wineserver
  # A display of our own, wherever there is a free number.
  setsid Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$stato_wine/display" \
    </dev/null >>"$stato_wine/xvfb.log" 2>&1 &
  echo $! >"$stato_wine/xvfb.pid"
  local i
  for i in $(seq 100); do
    [ -s "$stato_wine/display" ] && break
    sleep 0.1
  done
  [ -s "$stato_wine/display" ] || fallisci "Xvfb non parte: $(cat "$stato_wine/xvfb.log")"
  # A server that stays between tests, and its desktop started once.
  DISPLAY=:$(cat "$stato_wine/display")
  export DISPLAY
  wineserver_persistente >>"$registro_wine" 2>&1 || fallisci "wineserver non parte sul display"
  wine "$windows/osserva_finestre.exe" 0 >>"$registro_wine" 2>&1 </dev/null
}

usa_ambiente() {
  [ -s "$stato_wine/display" ] && [ -d "$WINEPREFIX" ] || {
    fallisci "ambiente Wine non preparato (ospite_wine.prepara)"
    fine_caso
  }
  DISPLAY=:$(cat "$stato_wine/display")
  export DISPLAY
  # Without a display a message box returns at once, unseen: make sure it is there.
  xdotool getmouselocation >/dev/null 2>&1 || {
    fallisci "il display $DISPLAY non risponde"
    fine_caso
  }
}

# Runs a Windows program copied into its folder, beside osserva_finestre,
# which reports the message box if one comes; a key press on the display
# closes it. Sets stato and osservato (the observer's lines).
esegui_wine() {
  local programma=$1 uscite pid_programma pid_osservatore
  nuova_cartella uscite
  (cd "$uscite" && timeout 120 wine "$programma" >"$uscite/stdout" 2>"$uscite/stderr" </dev/null) &
  pid_programma=$!
  timeout 120 wine "$windows/osserva_finestre.exe" 90 >"$uscite/osservato" 2>>"$registro_wine" </dev/null &
  pid_osservatore=$!
  while kill -0 "$pid_programma" 2>/dev/null; do
    if ! kill -0 "$pid_osservatore" 2>/dev/null; then
      # A box is up, or the observer gave up: press Return, a few times at
      # most in case the box did not have the focus yet.
      for _ in 1 2 3; do
        grep -q '^messaggio' "$uscite/osservato" || break
        xdotool key Return
        for _ in $(seq 50); do
          kill -0 "$pid_programma" 2>/dev/null || break 2
          sleep 0.1
        done
      done
      break
    fi
    sleep 0.05
  done
  wait "$pid_programma"
  stato=$?
  kill "$pid_osservatore" 2>/dev/null
  wait "$pid_osservatore" 2>/dev/null
  mapfile -t osservato <"$uscite/osservato"
  if [ -s "$uscite/stderr" ] || [ -s "$uscite/stdout" ]; then
    cat "$uscite/stdout" "$uscite/stderr" >>"$registro_wine"
  fi
}

# The text of the message box seen, empty if none came.
messaggio_visto() {
  local r
  for r in "${osservato[@]}"; do
    if [[ $r == messaggio* ]]; then
      r=${r#* | }
      printf '%s' "${r% | *}"
    fi
  done
}

# Runs the native and the Windows build, each in a folder made by the given
# function, and compares what they leave and how they end.
come_il_nativo() {
  local prepara_cartella=$1 n w stato_nativo
  nuova_cartella n
  nuova_cartella w
  "$prepara_cartella" "$n"
  "$prepara_cartella" "$w"
  cp "$nativo" "$n/valmora2"
  cp "$windows/valmora2.exe" "$w/valmora2.exe"
  esegui "$n/valmora2"
  stato_nativo=$stato
  esegui_wine "$w/valmora2.exe"
  uguale "stato di uscita sotto Wine" "$stato_nativo" "$stato"
  stessi_file "nativo e Windows" "$n" "$w"
  case $stato in
    "$uscita_errore")
      # The box says what the console host wrote.
      uguale "testo del messaggio" "${righe_errore[1]-}" "$(messaggio_visto)"
      ;;
    "$uscita_sistema")
      [[ $(messaggio_visto) =~ ^Errore\ di\ sistema\ [0-9]+:\ .+ ]] ||
        fallisci "messaggio di sistema: [$(messaggio_visto)]"
      ;;
    *) uguale "messaggi durante la corsa" "" "$(messaggio_visto)" ;;
  esac
}

cartella_vuota() { :; }
cartella_bloccata() {
  mkdir "$1/Valmora2_1552_rallentamenti.txt"
  local n
  for n in "${nomi_binari[@]}"; do printf 'corsa precedente %s' "$n" >"$1/$n"; done
}

# The label's font as the observer recognised it: "Attendere" in it fits the
# label's 177 x 53 pixels (2652 x 792 twips at 15 twips a pixel, rounded), it
# is bold and no larger than 24 pt (32 px at 96 dpi), and one pixel taller it
# would not fit, unless it is 24 pt already. Sets faccia_vista and
# altezza_vista.
testo_intero() {
  local r riga=""
  for r in "${osservato[@]}"; do [[ $r == testo\ * ]] && riga=$r; done
  local forma='^testo ([0-9]+)x([0-9]+) in ([0-9]+) px ([0-9]+) (.+); ([0-9]+)x([0-9]+) in [0-9]+ px$'
  if [[ ! $riga =~ $forma ]]; then
    fallisci "carattere dell'etichetta: [$riga]"
    return
  fi
  local larga=${BASH_REMATCH[1]} alta=${BASH_REMATCH[2]} peso=${BASH_REMATCH[4]}
  local larga_dopo=${BASH_REMATCH[6]} alta_dopo=${BASH_REMATCH[7]}
  faccia_vista=${BASH_REMATCH[5]}
  altezza_vista=${BASH_REMATCH[3]}
  ((larga <= 177 && alta <= 53)) ||
    fallisci "Attendere, ${larga}x$alta px in $faccia_vista $altezza_vista px, non entra in 177x53"
  uguale "peso del carattere" 700 "$peso"
  ((altezza_vista <= 32)) || fallisci "carattere di $altezza_vista px, oltre i 24 punti"
  ((altezza_vista == 32 || larga_dopo > 177 || alta_dopo > 53)) ||
    fallisci "a $((altezza_vista + 1)) px Attendere (${larga_dopo}x$alta_dopo) entrava ancora"
}

errore() {
  local d r righe=()
  nuova_cartella d
  cp "$windows/prova_errore_windows.exe" "$d/"
  esegui_wine "$d/prova_errore_windows.exe"
  uguale "stato di uscita" "$uscita_errore" "$stato"
  # The window as another process sees it: 4200 x 2688 twips of client area
  # and the label at 960, 960, 2652 x 792 twips, at 96 dpi. Then the box: the
  # system's caption, the text exactly, OK only.
  for r in "${osservato[@]}"; do [[ $r == testo\ * ]] || righe+=("$r"); done
  uguale "finestra e messaggio" "$(
    printf '%s\n' 'finestra Form1 client 280x179' 'etichetta Attendere 64,64 177x53' \
      'messaggio Error |  Errore n. 1251 | pulsanti OK'
  )" "$(printf '%s\n' "${righe[@]}")"
  testo_intero
}

# Wine's font replacement makes "Microsoft Sans Serif", the first successor,
# a name of DejaVu Sans, whose bold "Attendere" is wider than the label at
# 24 pt. The window must take it at a smaller size.
carattere_largo() {
  local chiave='HKCU\Software\Wine\Fonts\Replacements'
  wine reg add "$chiave" /v 'Microsoft Sans Serif' /d 'DejaVu Sans' /f </dev/null >>"$registro_wine" 2>&1 ||
    fallisci "il registro non accetta la sostituzione del carattere"
  errore
  wine reg delete "$chiave" /v 'Microsoft Sans Serif' /f </dev/null >>"$registro_wine" 2>&1 ||
    fallisci "la sostituzione del carattere resta nel registro"
  uguale "carattere al posto di Microsoft Sans Serif (fonts-dejavu-core)" "DejaVu Sans" "${faccia_vista-}"
  ((${altezza_vista-32} < 32)) ||
    fallisci "a 24 punti DejaVu Sans non deve entrare e l'etichetta deve averlo più piccolo: ${altezza_vista-?} px"
}

case $caso in
  prepara) prepara ;;
  chiudi) ferma_ambiente ;;
  scenario)
    usa_ambiente
    come_il_nativo cartella_vuota
    ;;
  file_vecchi)
    usa_ambiente
    come_il_nativo riempi_con_file_vecchi
    ;;
  cartella_bloccata)
    usa_ambiente
    come_il_nativo cartella_bloccata
    ;;
  errore)
    usa_ambiente
    errore
    ;;
  carattere_largo)
    usa_ambiente
    carattere_largo
    ;;
  *)
    echo "caso sconosciuto: $caso" >&2
    exit 2
    ;;
esac
# Wine stays quiet unless a case fails.
if [ "$fallimenti" -ne 0 ] && [ -s "$registro_wine" ]; then
  echo "--- ultime righe di $registro_wine" >&2
  tail -n 20 "$registro_wine" >&2
fi
fine_caso
