#!/usr/bin/env bash
# The manual pages format without a warning, and each names every option that
# its program's --help lists:  man_pages_test.sh MANDIR KARVO_SIM KARVO_SERVER
# Exit code 77 (skipped) where groff is missing.
set -uo pipefail
man=$1 sim=$2 server=$3
command -v groff >/dev/null || { echo "groff is missing: the manual pages are not formatted"; exit 77; }
zle=0
for strona in "$man"/karvo.1 "$man"/karvo-sim.1 "$man"/karvo-server.1; do
  ostrzezenia=$(groff -man -Tutf8 -ww -z "$strona" 2>&1)
  [ -z "$ostrzezenia" ] || { echo "$strona: $ostrzezenia"; zle=1; }
done
# The page's text as a reader sees it: roff's "\-" is a "-".
tekst() { sed 's/\\-/-/g; s/\\f[BIRP]//g' "$1"; }
strona=$(tekst "$man/karvo-sim.1")
for opcja in $("$sim" --help | grep -oE -- '--[a-z0-9-]+' | sort -u); do
  [[ "$strona" == *"$opcja"* ]] || { echo "karvo-sim.1 does not name $opcja"; zle=1; }
done
# The kinds of fault that --help lists for --fault and --module-fault (the
# words after "KIND:", each up to its "=" or "[", brackets left out), each named in the page too.
rodzaje() {
  "$sim" --help | awk -v opcja="$1" '
    $1 == opcja { w = 1; next }
    w && /^  --/ { w = 0 }
    w && /KIND:/ { k = 1; sub(/.*KIND:/, "") }
    w && k { print }' |
    tr '\n' ' ' | sed 's/([^)]*)//g' | tr ' ' '\n' | sed -n 's/^\([a-z][a-z0-9]*\).*/\1/p' | sort -u
}
for opcja in --fault --module-fault; do
  lista=$(rodzaje "$opcja")
  [ -n "$lista" ] || { echo "karvo-sim --help lists no fault kinds for $opcja"; zle=1; }
  for rodzaj in $lista; do
    grep -qE "(^|[ ,])$rodzaj([=,.[ ]|\$)" <<<"$strona" || { echo "karvo-sim.1 does not name the $opcja kind $rodzaj"; zle=1; }
  done
done
# What --modem-dial can make the modem do (its A|B|... list), each named in the page too.
dial=$("$sim" --help | sed -n 's/^  --modem-dial \([a-z|-]*\).*/\1/p' | tr '|' ' ')
[ -n "$dial" ] || { echo "karvo-sim --help lists no outcomes for --modem-dial"; zle=1; }
for wynik in $dial; do
  grep -qE "(^|[ |])$wynik([ |,.)]|\$)" <<<"$strona" || { echo "karvo-sim.1 does not name the --modem-dial outcome $wynik"; zle=1; }
done
strona=$(tekst "$man/karvo-server.1")
pomoc=$("$server" --help)
for slowo in listen send -n -t; do
  [[ "$pomoc" == *"$slowo"* ]] || { echo "karvo-server --help does not name $slowo"; zle=1; }
  [[ "$strona" == *"$slowo"* ]] || { echo "karvo-server.1 does not name $slowo"; zle=1; }
done
exit $zle
