#!/usr/bin/env bash
# The grammar's test: the npm packages from the committed lock file into a
# folder of the build (from npm's cache when it has them), the shipped
# documents from the tool, then the tokenizer. Exit 77: npm or its packages
# are missing.
#   editors/vscode/grammatica_test.sh AUTORI WORK_FOLDER
set -u
sorgente=$(cd "$(dirname "$0")" && pwd)
autori=$1
lavoro=$2
command -v npm >/dev/null && command -v node >/dev/null || { echo "npm and node are not installed (Debian: npm)"; exit 77; }
mkdir -p "$lavoro"
cp "$sorgente/package.json" "$sorgente/package-lock.json" "$lavoro/"
rm -rf "$lavoro/test" "$lavoro/syntaxes"
cp -r "$sorgente/test" "$sorgente/syntaxes" "$lavoro/"
if ! (cd "$lavoro" && npm ci --prefer-offline --no-audit --no-fund --ignore-scripts >npm.log 2>&1); then
  cat "$lavoro/npm.log"
  echo "npm ci could not install the lock file's packages (no network and not in npm's cache)"
  exit 77
fi
"$autori" documents "$lavoro/documenti" >/dev/null || exit 1
node "$lavoro/test/grammatica.js" "$lavoro/documenti/Valmora2_linea.txt" "$lavoro/documenti/Valmora2_1552-.txt"
