#!/usr/bin/env bash
# The Windows build of the authors' tool under Wine, against this build's, in
# the prefix and on the display the host tests prepare (ospite_wine.prepara).
#
#   wine_test.sh CASE STATE_FOLDER WINDOWS_BUILD NATIVE_AUTORI GOLDEN_FOLDER
#
# compile   every golden pair: the same exit status, diagnostic and scenario
#           files; --json for the first pair of each outcome
# inspect   the files of the shipped scenario shown alike, text and JSON
# percorsi  paths as Windows users type them: drive letters, backslashes,
#           folders relative to the working one, letters in another case
# righe     console text ends its lines in CR LF; files stay byte for byte
# vista     autori view writes the native tool's page, byte for byte
# lsp       a session of autori lsp gives the native server's bytes: the
#           framing counts bytes, so no CR LF may be added on the way
#
# Every console text of the Windows tool is checked the same way: each line
# ends in CR LF, as text written in text mode does on Windows, and with LF
# alone and its paths written as the native run's it is the native text.

# shellcheck source=tests/host/comune.sh
source "$(dirname "$0")/../tests/host/comune.sh"

caso=$1
stato_wine=$2
windows=$3
nativo=$4
golden=$5
autori_exe=$windows/tools/autori.exe

export WINEPREFIX=$stato_wine/prefisso
usa_wine_possibile
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export LC_ALL=C

usa_ambiente() {
  [ -f "$autori_exe" ] || {
    fallisci "manca $autori_exe: costruire prima il preset windows"
    fine_caso
  }
  if [ ! -s "$stato_wine/display" ] || [ ! -d "$WINEPREFIX" ]; then
    fallisci "ambiente Wine non preparato (ospite_wine.prepara)"
    fine_caso
  fi
  DISPLAY=:$(cat "$stato_wine/display")
  export DISPLAY
}

# The same file as Windows names it through the drive that Wine maps to /.
su_z() { printf 'Z:%s' "${1//\//\\}"; }
# A text as a JSON string holds it.
in_json() { printf '%s' "${1//\\/\\\\}"; }

# Runs one of the tools in a folder: sets stato and the files out and err.
esegui_in() {  # folder, program, arguments...
  local cartella=$1 uscite
  shift
  nuova_cartella uscite
  out=$uscite/out
  err=$uscite/err
  (cd "$cartella" && timeout 120 "$@" >"$out" 2>"$err" </dev/null)
  stato=$?
}
nativo_in() {
  esegui_in "$1" "$nativo" "${@:2}"
  stato_n=$stato out_n=$out err_n=$err
}
windows_in() {
  esegui_in "$1" wine "$autori_exe" "${@:2}"
  stato_w=$stato out_w=$out err_w=$err
}

# testo_come DESCRIPTION NATIVE_FILE WINDOWS_FILE [WINDOWS_TEXT NATIVE_TEXT]...
# The Windows console text against the native one, each pair of texts
# replaced in the Windows one first.
testo_come() {
  local descrizione=$1 file_n=$2 file_w=$3 lf cr crlf
  shift 3
  lf=$(tr -cd '\n' <"$file_w" | wc -c)
  cr=$(tr -cd '\r' <"$file_w" | wc -c)
  crlf=$(grep -c $'\r$' "$file_w")
  if [ "$lf" -ne "$crlf" ] || [ "$cr" -ne "$crlf" ]; then
    fallisci "$descrizione: $lf righe, $crlf finiscono in CR LF, $cr CR in tutto"
  fi
  local atteso trovato
  atteso=$(cat "$file_n" && printf x)
  trovato=$(sed 's/\r$//' "$file_w" && printf x)
  while [ $# -ge 2 ]; do
    trovato=${trovato//"$1"/"$2"}
    shift 2
  done
  if [ "$atteso" != "$trovato" ]; then
    fallisci "$descrizione: testo diverso dal nativo"
    diff <(printf '%s' "${atteso%x}") <(printf '%s' "${trovato%x}") | head -n 6 >&2
  fi
}

# The scenario files of two folders, the same names and bytes.
stessi_scenari() {  # description, folder, folder
  uguale "$1: file scritti" "$(ls -A "$2" 2>&1)" "$(ls -A "$3" 2>&1)"
  local f
  for f in "$2"/*; do
    [ -f "$f" ] || continue
    cmp -s "$f" "$3/${f##*/}" || fallisci "$1: ${f##*/} differisce"
  done
}

compile() {
  local d coppia nome esito visti=" "
  nuova_cartella d
  for coppia in "$golden"/s*; do
    nome=${coppia##*/}
    rm -rf "$d/n" "$d/w"
    nativo_in "$d" compile "$coppia/linea.txt" "$coppia/treno.txt" --out "$d/n"
    windows_in "$d" compile "$(su_z "$coppia/linea.txt")" "$(su_z "$coppia/treno.txt")" --out "$(su_z "$d/w")"
    uguale "$nome: stato di uscita" "$stato_n" "$stato_w"
    testo_come "$nome: diagnostica" "$err_n" "$err_w" "$(su_z "$coppia")\\" "$coppia/"
    uguale "$nome: standard output" "" "$(cat "$out_w")"
    stessi_scenari "$nome" "$d/n" "$d/w"
    # The JSON report once for each exit status and code.
    esito="$stato_n:$(grep -oE 'error: code [0-9]+' "$err_n" | grep -oE '[0-9]+$')"
    if [[ $visti != *" $esito "* ]]; then
      visti+="$esito "
      nativo_in "$d" compile "$coppia/linea.txt" "$coppia/treno.txt" --out "$d/n" --json
      windows_in "$d" compile "$(su_z "$coppia/linea.txt")" "$(su_z "$coppia/treno.txt")" --out "$(su_z "$d/w")" \
        --json
      uguale "$nome --json: stato di uscita" "$stato_n" "$stato_w"
      testo_come "$nome --json" "$out_n" "$out_w" "$(in_json "$(su_z "$coppia")\\")" "$coppia/" \
        "$(in_json "$(su_z "$d/w")\\")" "$d/n/"
    fi
  done
  # The JSON report in its three shapes: a clean build, a code with files, a
  # stop without them.
  local s
  for s in 0 1 2; do [[ $visti == *" $s:"* ]] || fallisci "nessuna coppia golden con stato $s"; done
}

inspect() {
  local d f argomenti
  nuova_cartella d
  "$nativo" documents "$d/doc" >/dev/null
  "$nativo" compile "$d/doc/Valmora2_linea.txt" "$d/doc/Valmora2_1552-.txt" --out "$d/s" ||
    fallisci "lo scenario consegnato non si costruisce"
  cp "$d/s/Valmora2_1552.dat" "$d/s/celle.bin"
  while IFS='|' read -r f argomenti; do
    # shellcheck disable=SC2086 # the options are words
    nativo_in "$d" inspect "$d/s/$f" $argomenti
    # shellcheck disable=SC2086
    windows_in "$d" inspect "$(su_z "$d/s/$f")" $argomenti
    uguale "inspect $f $argomenti: stato di uscita" "$stato_n" "$stato_w"
    testo_come "inspect $f $argomenti" "$out_n" "$out_w" "$(in_json "$(su_z "$d/s")\\")" "$d/s/"
    testo_come "inspect $f $argomenti: errori" "$err_n" "$err_w" "$(su_z "$d/s")\\" "$d/s/"
  done <<'CASI'
Valmora2_1552.dat|
Valmora2_1552.dat|--non-empty --json
Valmora2_1552.dat|--tipo 1 --from 100 --to 2000
Valmora2_1552.sim|
Valmora2_1552.sim|--json --non-empty
Valmora2_1552.sim|--tipo 25
Valmora2_linea.dat|--from 0 --to 400
Valmora2_linea.dat|--json --from 150000 --to 150100 --non-empty
celle.bin|--kind cells --from 0 --to 60
celle.bin|
Valmora2_1552.sim|--kind cells
Valmora2_1552.dat|--from 20 --to 10
Valmora2_linea.dat|--tipo 1
CASI
  # The cases above include refusals: a name that tells no kind, a file of
  # another kind, a range backwards, a filter the plan has not.

  # The format's reference, whole and in part, and a keyword that names nothing.
  for argomenti in "" segnale "velocita' limite" codes bogus; do
    # No argument at all for the whole page.
    nativo_in "$d" format ${argomenti:+"$argomenti"}
    windows_in "$d" format ${argomenti:+"$argomenti"}
    uguale "format $argomenti: stato di uscita" "$stato_n" "$stato_w"
    testo_come "format $argomenti" "$out_n" "$out_w"
    testo_come "format $argomenti: errori" "$err_n" "$err_w"
  done
}

percorsi() {
  local base d coppia=$golden/s30005 c_base
  # C:\users\Public is in every prefix, whoever the user is.
  base=$(mktemp -d "$WINEPREFIX/drive_c/users/Public/autori.XXXXXX") || fallisci "C:\\users\\Public"
  cartelle+=("$base")
  c_base="C:\\users\\Public\\${base##*/}"
  mkdir -p "$base/in"
  cp "$coppia/linea.txt" "$coppia/treno.txt" "$base/in/"
  nuova_cartella d
  mkdir -p "$d/in"
  cp "$coppia/linea.txt" "$coppia/treno.txt" "$d/in/"

  # A full path with its drive, one relative to the working folder, an
  # output folder made two levels deep: the diagnostic names the train
  # description as it was given.
  nativo_in "$d" compile "$d/in/linea.txt" in/treno.txt --out uscita/sotto
  windows_in "$base" compile "$c_base\\in\\linea.txt" 'in\treno.txt' --out 'uscita\sotto'
  uguale "compile in C:: stato di uscita" "$stato_n" "$stato_w"
  testo_come "compile in C:: diagnostica" "$err_n" "$err_w" 'in\treno.txt' in/treno.txt
  [[ $(cat "$err_n") == in/treno.txt:15:1:\ * ]] || fallisci "diagnostica nativa: $(cat "$err_n")"
  stessi_scenari "compile in C:" "$d/uscita/sotto" "$base/uscita/sotto"

  # Forward slashes, a drive letter in lower case, and the report in JSON.
  windows_in "$base" compile "z:${coppia}/linea.txt" "z:${coppia}/treno.txt" --out "$c_base\\json" --json
  nativo_in "$d" compile "$coppia/linea.txt" "$coppia/treno.txt" --out "$d/json" --json
  testo_come "compile --json in C:" "$out_n" "$out_w" "z:$coppia/" "$coppia/" \
    "$(in_json "$c_base\\json\\")" "$d/json/"
  stessi_scenari "compile --json in C:" "$d/json" "$base/json"

  # A description under the very name the build reads, in the output folder
  # however spelled, is read and left as it is: the build runs in memory.
  cp "$coppia/linea.txt" "$base/json/Valmora2_linea.txt"
  windows_in "$base" compile 'JSON\VALMORA2_LINEA.TXT' 'in\treno.txt' --out "${c_base^^}\\json"
  uguale "linea letta dalla cartella d'uscita: stato" 2 "$stato_w"
  cmp -s "$coppia/linea.txt" "$base/json/Valmora2_linea.txt" || fallisci "la descrizione data è stata toccata"
  windows_in "$base" compile 'in\linea.txt' 'in\treno.txt' --out json
  uguale "descrizione vecchia nella cartella d'uscita: stato" 2 "$stato_w"

  # The kind of a file from a name written with backslashes, and a picture
  # that replaces an older one.
  nativo_in "$d" inspect uscita/sotto/Valmora2_linea.dat --from 7 --to 9
  windows_in "$base" inspect 'uscita\sotto\Valmora2_linea.dat' --from 7 --to 9
  testo_come "inspect in C:" "$out_n" "$out_w"
  printf 'vecchia' >"$base/uscita/profilo.svg"
  nativo_in "$d" plot profile uscita/sotto/Valmora2_1552.dat --table uscita/sotto/Valmora2_1552.sim -o profilo.svg
  windows_in "$base" plot profile 'uscita\sotto\Valmora2_1552.dat' --table "$c_base\\uscita\\sotto\\Valmora2_1552.sim" \
    -o 'uscita\profilo.svg'
  uguale "plot in C:: stato di uscita" "$stato_n" "$stato_w"
  cmp -s "$d/profilo.svg" "$base/uscita/profilo.svg" || fallisci "plot in C:: il disegno differisce dal nativo"
  uguale "plot in C:: file lasciati, nessun temporaneo" "profilo.svg sotto" \
    "$(find "$base/uscita" -mindepth 1 -maxdepth 1 -printf '%f\n' | sort | paste -sd ' ')"
}

righe() {
  local d argomenti
  nuova_cartella d
  # Help and refused arguments, on standard output and standard error.
  while IFS='|' read -r argomenti; do
    # shellcheck disable=SC2086 # the arguments are words
    nativo_in "$d" $argomenti
    # shellcheck disable=SC2086
    windows_in "$d" $argomenti
    uguale "autori $argomenti: stato di uscita" "$stato_n" "$stato_w"
    testo_come "autori $argomenti: standard output" "$out_n" "$out_w"
    testo_come "autori $argomenti: standard error" "$err_n" "$err_w"
  done <<'CASI'
--help
compile --help
inspect --help
plot profile --help
inspect
compilare linea.txt
compile a.txt b.txt --id Valmora/2
CASI

  # The documents: their names on the console, their bytes as the native
  # tool writes them, CR LF inside as the product writes them.
  nativo_in "$d" documents "$d/n"
  windows_in "$d" documents "$(su_z "$d/w")"
  uguale "documents: stato di uscita" 0 "$stato_w"
  testo_come "documents" "$out_n" "$out_w" "$(su_z "$d/w")\\" "$d/n/"
  stessi_scenari "documents" "$d/n" "$d/w"

  # A picture is a file: LF alone, as on every host.
  "$nativo" compile "$d/n/Valmora2_linea.txt" "$d/n/Valmora2_1552-.txt" --out "$d/s" >/dev/null 2>&1
  nativo_in "$d" plot plan "$d/s/Valmora2_linea.dat" --table "$d/s/Valmora2_1552.sim" -o "$d/n.svg"
  windows_in "$d" plot plan "$(su_z "$d/s/Valmora2_linea.dat")" --table "$(su_z "$d/s/Valmora2_1552.sim")" \
    -o "$(su_z "$d/w.svg")"
  uguale "plot plan: stato di uscita" 0 "$stato_w"
  cmp -s "$d/n.svg" "$d/w.svg" || fallisci "plot plan: il disegno differisce dal nativo"
  if grep -q $'\r' "$d/w.svg"; then fallisci "plot plan: CR nel disegno"; fi
}

# autori view: the same page from the Windows tool, from a folder and from
# descriptions named as the same relative paths.
vista() {
  local d
  nuova_cartella d
  "$nativo" documents "$d/doc" >/dev/null
  "$nativo" compile "$d/doc/Valmora2_linea.txt" "$d/doc/Valmora2_1552-.txt" --out "$d/s" ||
    fallisci "lo scenario consegnato non si costruisce"
  nativo_in "$d" view s -o nativa.html
  windows_in "$d" view s -o windows.html
  uguale "view DIR: stato di uscita" "$stato_n" "$stato_w"
  cmp -s "$d/nativa.html" "$d/windows.html" || fallisci "view DIR: pagine diverse"
  nativo_in "$d/doc" view Valmora2_linea.txt Valmora2_1552-.txt -o nativa.html
  windows_in "$d/doc" view Valmora2_linea.txt Valmora2_1552-.txt -o windows.html
  uguale "view LINE TRAIN: stato di uscita" "$stato_n" "$stato_w"
  cmp -s "$d/doc/nativa.html" "$d/doc/windows.html" || fallisci "view LINE TRAIN: pagine diverse"
  [ -s "$d/doc/windows.html" ] || fallisci "view LINE TRAIN: nessuna pagina"
}

# One framed message of the protocol.
messaggio() { printf 'Content-Length: %d\r\n\r\n%s' "${#1}" "$1"; }

lsp() {
  local d uri testo
  nuova_cartella d
  # A station whose position carries a unit: code 25 at that field, and its
  # quick fix; the description's CR LF travel inside the JSON string.
  uri="file://$d/Prova_5-.txt"
  testo='treno\r\n[generale]\r\n[stazioni]\r\nstazione, 4500m, 2, 600, 0, 1, 0, 1,1,0, 4,1,1, 0, 0, 0, 0, ROMA\r\n[fine]\r\n\r\n'
  {
    messaggio '{"jsonrpc":"2.0","id":1,"method":"initialize","params":{}}'
    messaggio '{"jsonrpc":"2.0","method":"initialized","params":{}}'
    messaggio '{"jsonrpc":"2.0","method":"textDocument/didOpen","params":{"textDocument":{"uri":"'"$uri"'","languageId":"valmora","version":1,"text":"'"$testo"'"}}}'
    messaggio '{"jsonrpc":"2.0","id":2,"method":"textDocument/codeAction","params":{"textDocument":{"uri":"'"$uri"'"},"range":{"start":{"line":3,"character":12},"end":{"line":3,"character":12}},"context":{"diagnostics":[]}}}'
    messaggio '{"jsonrpc":"2.0","id":3,"method":"textDocument/hover","params":{"textDocument":{"uri":"'"$uri"'"},"position":{"line":3,"character":2}}}'
    messaggio '{"jsonrpc":"2.0","id":4,"method":"shutdown"}'
    messaggio '{"jsonrpc":"2.0","method":"exit"}'
  } >"$d/sessione"
  (cd "$d" && timeout 120 "$nativo" lsp <"$d/sessione" >"$d/n.out" 2>"$d/n.err")
  uguale "lsp nativo: stato di uscita" 0 "$?"
  (cd "$d" && timeout 120 wine "$autori_exe" lsp <"$d/sessione" >"$d/w.out" 2>"$d/w.err")
  uguale "lsp: stato di uscita" 0 "$?"
  cmp -s "$d/n.out" "$d/w.out" || {
    fallisci "lsp: i messaggi differiscono dal nativo"
    cmp "$d/n.out" "$d/w.out" | head -n 3 >&2
  }
  grep -q '"code":25' "$d/w.out" || fallisci "lsp: manca la diagnostica del codice 25"
  grep -q '"newText":"4500"' "$d/w.out" || fallisci "lsp: manca la correzione"
  uguale "lsp: intestazioni e corpi" "$(grep -c 'Content-Length: ' "$d/n.out")" "$(grep -ac $'^\r$' "$d/w.out")"
}

usa_ambiente
case $caso in
  vista) vista ;;
  compile) compile ;;
  inspect) inspect ;;
  percorsi) percorsi ;;
  righe) righe ;;
  lsp) lsp ;;
  *)
    echo "caso sconosciuto: $caso" >&2
    exit 2
    ;;
esac
fine_caso
