#!/usr/bin/env bash
# One command-line convention for the five programs: --help prints the usage on
# standard output and ends with 0, --version prints the version and ends with
# 0, a usage error of a tool ends with 2 (the driver's with 1, and its /V keeps
# its own text):
#   command_line_test.sh VERSION KARVO KARVO_SIM KARVO_SERVER KARVO_SIM_DAY KARVO_SIM_CATALOGUE
set -uo pipefail
wersja=$1 karvo=$2 sim=$3 server=$4 day=$5 catalogue=$6
tmp=$(mktemp -d /tmp/karvo-cli-XXXXXX)
trap 'rm -rf "$tmp"' EXIT
zle=0
blad() { echo "$*"; zle=1; }

# run EXPECTED-CODE PROGRAM ARGS...: the exit code, standard output in $tmp/out, standard error in $tmp/err.
run() {
  local oczekiwany=$1; shift
  (cd "$tmp" && "$@" >"$tmp/out" 2>"$tmp/err" </dev/null)
  local kod=$?
  [ "$kod" = "$oczekiwany" ] || blad "$(basename "$1") ${*:2}: exit code $kod, not $oczekiwany (stderr: $(head -c 300 "$tmp/err"))"
}

for program in "$karvo" "$sim" "$server" "$day" "$catalogue"; do
  nazwa=$(basename "$program")
  run 0 "$program" --help
  grep -q "usage: $nazwa" "$tmp/out" || blad "$nazwa --help: no usage on standard output: $(head -c 200 "$tmp/out")"
  [ ! -s "$tmp/err" ] || blad "$nazwa --help wrote to standard error: $(head -c 200 "$tmp/err")"
  grep -q -- "--version" "$tmp/out" || blad "$nazwa --help does not name --version"
  run 0 "$program" --version
  [ "$(cat "$tmp/out")" = "$nazwa $wersja" ] || [ "$nazwa" = karvo ] ||
    blad "$nazwa --version printed \"$(cat "$tmp/out")\", not \"$nazwa $wersja\""
  [ ! -s "$tmp/err" ] || blad "$nazwa --version wrote to standard error: $(head -c 200 "$tmp/err")"
done

# The driver: its version line names the library too; /V keeps its text.
run 0 "$karvo" --version
grep -qx "karvo $wersja (library WIN 8.55)" "$tmp/out" || blad "karvo --version printed: $(cat "$tmp/out")"
run 0 "$karvo" /V
grep -q "^Skompilowano .* wer. $wersja\$" "$tmp/out" || blad "karvo /V printed: $(cat "$tmp/out")"
grep -qx "Biblioteka KARVO wer. WIN 8.55" "$tmp/out" || blad "karvo /V printed: $(cat "$tmp/out")"

# Usage errors: the driver keeps 1, the tools end with 2, each with a message.
cases=(
  "1|$karvo"
  "1|$karvo|plik.txt"
  "1|$karvo|/K5"
  "2|$sim|--no-such-option"
  "2|$sim|--state"
  "2|$server"
  "2|$server|listen|x"
  "2|$day"
  "2|$day|--goods"
  "2|$day|a|b|--goods|x"
  "2|$catalogue"
  "2|$catalogue|a|0|b"
)
for przypadek in "${cases[@]}"; do
  IFS='|' read -r -a czesci <<<"$przypadek"
  run "${czesci[0]}" "${czesci[@]:1}"
  [ -s "$tmp/err" ] || blad "$(basename "${czesci[1]}") ${czesci[*]:2}: no message on standard error"
  [ ! -s "$tmp/out" ] || blad "$(basename "${czesci[1]}") ${czesci[*]:2}: wrote to standard output"
done

# A tool whose files fail is not a usage error: 1.
run 1 "$day" "$tmp/missing.txt" "$tmp/out.txt"
run 1 "$catalogue" "$tmp/missing.txt" 10 "$tmp/out.txt"
exit $zle
