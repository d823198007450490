# shellcheck shell=bash
# Installs the Debian packages the caller names that are not installed yet.
# Sourced by the other scripts, not run.

installa_mancanti() {
  local mancanti=() p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || mancanti+=("$p")
  done
  [ ${#mancanti[@]} -eq 0 ] && return 0
  local come_root=()
  [ "$(id -u)" -eq 0 ] || come_root=(sudo)
  echo "Installo: ${mancanti[*]}"
  "${come_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -q &&
    "${come_root[@]}" env DEBIAN_FRONTEND=noninteractive \
      apt-get install -y -q --no-install-recommends "${mancanti[@]}"
}

# Lets packages of another architecture be installed (NAME:ARCH), for those
# that have no build of the machine's own.
abilita_architettura() {
  dpkg --print-foreign-architectures | grep -qx "$1" && return 0
  local come_root=()
  [ "$(id -u)" -eq 0 ] || come_root=(sudo)
  "${come_root[@]}" dpkg --add-architecture "$1"
}
