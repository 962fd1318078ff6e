#!/usr/bin/env bash
# Runs the examples of the user documents against the simulated register and
# compares what the programs produced with what the documents show, so that
# the documents cannot go stale:
#
#   scripts/guide.sh BUILD [--update] [--repeat N] [DOCUMENT...]
#                                             (default: docs/guide.md docs/commands.md)
#   scripts/guide.sh --root ROOT --only NAME DOCUMENT
#       the example NAME with the programs and files installed under ROOT
#       (ROOT/usr/bin, ROOT/usr/share: an unpacked package)
#
# A marker line stands right before a fenced code block:
#   <!-- setup -->              commands run at the start of every example of the document
#   <!-- run: NAME -->          commands of the example NAME; its blocks run in order in one shell
#   <!-- output: NAME -->       what the last run block of NAME printed
#   <!-- file: NAME PATH -->    the file PATH, as it is at this point of NAME
# Every example starts in an empty directory of its own with the build's programs
# first on PATH. The installed paths in the commands (/usr/share/karvo and
# /usr/share/doc/karvo/examples) are taken from the source tree, and the loopback
# addresses 127.0.0.N become 127.A.B.N of this run, so that parallel runs do not
# meet; what the programs wrote is turned back before it is compared. A document
# whose setup defines a shell function start() starts its background programs
# itself and waits for them: its commands run as written. In the others a line
# "karvo-sim ... &", "/usr/sbin/ser2net ... -c FILE &" or "karvo-server listen
# ... &" returns when the program is ready.
# Without DOCUMENTs the EXAMPLES of the manual pages (docs/man/*.1) run too, each
# as written in a directory of its own: they must end with exit code 0, and
# every /Q2 message must say ResultCode 0.
# --repeat N runs every example of such a document N times side by side (each
# with addresses of its own) and compares every run, so that a snippet that
# races fails.
# Dates and times, pseudo-terminal numbers and process ids are compared by form.
# Between "<!-- resultcodes -->" and "<!-- /resultcodes -->" every table row
# "| N | text |" must carry the text of line N of share/KOMENT.TXT.
#
# --update writes what the programs produced into the documents instead (a
# block that differs only in its dates and times is left as it is).
# Exit code: 0 when everything matches (or was written), 1 when not, 2 for a bad call.
set -uo pipefail
zrodla=$(cd "$(dirname "$0")/.." && pwd)
[ $# -ge 1 ] || { echo "usage: scripts/guide.sh BUILD [--update] [DOCUMENT...]" >&2; exit 2; }
korzen="" tylko=""
if [ "$1" = --root ]; then
  korzen=$(cd "${2:-}" && pwd) || exit 2
  shift 2
  build=$korzen/usr/bin
else
  build=$(cd "$1" && pwd) || exit 2
  shift
fi
aktualizacja=0
powtorzenia=1
dokumenty=()
while [ $# -gt 0 ]; do
  case "$1" in
    --only) tylko=${2:-}; shift ;;
    --update) aktualizacja=1 ;;
    --repeat) powtorzenia=${2:-}; shift
              [[ "$powtorzenia" =~ ^[1-9][0-9]*$ ]] || { echo "guide.sh: --repeat takes a count" >&2; exit 2; } ;;
    *) dokumenty+=("$(cd "$(dirname "$1")" && pwd)/$(basename "$1")") ;;
  esac
  shift
done
domyslne=0
[ ${#dokumenty[@]} -gt 0 ] || domyslne=1
[ ${#dokumenty[@]} -gt 0 ] || dokumenty=("$zrodla/docs/guide.md" "$zrodla/docs/commands.md")
# Where the programs and the installed files come from: the build and the
# source tree, or an installed root.
if [ -n "$korzen" ]; then
  programy=$korzen/usr/bin
  udzial=$korzen/usr/share
  zrodlo_przykladow=$udzial/doc/karvo/examples urzadzenia=$udzial/karvo/devices koment_txt=$udzial/karvo/KOMENT.TXT
else
  programy="$build:$build/sim:$build/tools"
  zrodlo_przykladow=$zrodla/examples urzadzenia=$zrodla/sim/devices koment_txt=$zrodla/share/KOMENT.TXT
fi
for p in karvo karvo-sim; do
  [ -n "$(PATH=$programy command -v $p)" ] || { echo "guide.sh: $p is not in $programy" >&2; exit 2; }
done

tmp=$(mktemp -d /tmp/karvo-guide-XXXXXX)
# KARVO_GUIDE_KEEP=1 keeps the examples' directories for a look.
if [ -n "${KARVO_GUIDE_KEEP:-}" ]; then echo "guide.sh: the examples run in $tmp"; else trap 'rm -rf "$tmp"' EXIT; fi
bledy=0

# The addresses of repetition $1 of this run (127.A.B), and the examples with them.
adresy() {
  siec="127.$((100 + $$ % 100)).$((($$ / 100 + 83 * ($1 - 1)) % 250 + 1))"
  przyklady="$tmp/examples.$1"
  [ -d "$przyklady" ] && return
  mkdir "$przyklady"
  for plik in "$zrodlo_przykladow"/*; do
    sed "s|127\.0\.0\.\([0-9]\)|$siec.\1|g" "$plik" >"$przyklady/$(basename "$plik")"
  done
}

# Commands as this run executes them: installed paths from the source tree,
# this run's addresses, and background programs that return when ready.
przygotuj() {
  local tlo=(-e 's/^\(karvo-sim .*\|\/usr\/sbin\/ser2net .*\) &$/karvo_tlo \1/'
             -e 's/^\(karvo-server listen .*\) &$/\1 \& karvo_sluchacz $!/')
  [ "$jak_napisano" = 1 ] && tlo=()
  sed "$@" -e "s|/usr/share/doc/karvo/examples|$przyklady|g" \
      -e "s|/usr/share/karvo/devices|$urzadzenia|g" \
      -e "s|/usr/share/karvo/KOMENT.TXT|$koment_txt|g" \
      -e "s|127\.0\.0\.\([0-9]\)|$siec.\1|g" "${tlo[@]}"
}

# What the programs wrote, with this run's addresses turned back.
oczysc() { sed "$@" -e "s|$siec\.\([0-9]\)|127.0.0.\1|g" -e 's/\r$//'; }

# The forms that differ from run to run.
forma() {
  sed -E "$@" -e 's/[0-9]{4}\.[0-9]{2}\.[0-9]{2}([\t ])[0-9]{2}:[0-9]{2}/YYYY.MM.DD\1HH:MM/g' \
         -e 's/^[0-9]{2}:[0-9]{2}:[0-9]{2}\.[0-9]{3}/HH:MM:SS.mmm/' \
         -e 's|/dev/pts/[0-9]+|/dev/pts/N|g' -e 's/PID=[0-9]+/PID=N/g' \
         -e 's/Skompilowano .{11} o godz\. [0-9:]{8}/Skompilowano MMM DD YYYY o godz. HH:MM:SS/'
}

# The helpers every example's shell has.
cat >"$tmp/pomocnicy.sh" <<'EOF'
karvo_pidy=()
karvo_tlo() {
  local log; log=$(mktemp "$KARVO_GUIDE_TMP/tlo.XXXXXX")
  "$@" >"$log" 2>&1 &
  local pid=$!
  karvo_pidy+=("$pid")
  # ser2net says nothing when it is ready: its accepter's address listens then.
  local i gniazdo=""
  if [[ "$1" == *ser2net ]]; then
    local argumenty=" $* " plik akceptor
    plik=${argumenty##* -c }
    akceptor=$(sed -n 's/.*accepter:.*tcp,\([0-9.,]*\).*/\1/p' "${plik%% *}" 2>/dev/null)
    akceptor=${akceptor%%$'\n'*}
    if [[ "$akceptor" == *,* ]]; then gniazdo="src ${akceptor%,*}:${akceptor##*,}"; else gniazdo="sport = :$akceptor"; fi
  fi
  for i in $(seq 100); do
    kill -0 "$pid" 2>/dev/null || break
    case "$1" in
      karvo-sim) grep -q '^karvo-sim: ready' "$log" && return 0 ;;
      *ser2net) [ -n "$(ss -Hltn $gniazdo 2>/dev/null)" ] && return 0 ;;
    esac
    sleep 0.05
  done
  echo "guide.sh: $1 did not get ready: $(cat "$log")" >&2
  return 1
}
karvo_sluchacz() {
  karvo_pidy+=("$1")
  local i
  for i in $(seq 100); do
    compgen -G "$KARVO_PLATFORM_DIR/bus/*/s$1" >/dev/null && return 0
    sleep 0.05
  done
  echo "guide.sh: karvo-server $1 did not start listening" >&2
}
karvo_koniec() {
  local pid i
  # The programs the helper started, and those the commands started themselves.
  karvo_pidy+=($(jobs -p))
  for pid in "${karvo_pidy[@]}"; do kill "$pid" 2>/dev/null; done
  for pid in "${karvo_pidy[@]}"; do
    for i in $(seq 60); do kill -0 "$pid" 2>/dev/null || break; sleep 0.05; done
    kill -9 "$pid" 2>/dev/null
  done
  wait 2>/dev/null
}
EOF

# The markers of one document: a manifest "index kind name path first last"
# (the lines of the block's contents), each block's text in $2/index.blok and
# the commands of each run and setup block in $2/index.cmd.
przeczytaj() {
  awk -v kat="$2" '
    stan == 2 && /^```/ { print n, rodzaj, nazwa, sciezka, od, NR - 1; close(plik); if (kom) close(kom); stan = 0; next }
    stan == 2 { print > plik; if (kom) print > kom; next }
    stan == 1 { if ($0 !~ /^```/) { printf "%s:%d: a marker must stand before a code block\n", FILENAME, NR > "/dev/stderr"; exit 3 }
                stan = 2; od = NR + 1; plik = kat "/" n ".blok"; printf "" > plik
                kom = (rodzaj == "run" || rodzaj == "setup") ? kat "/" n ".cmd" : ""; if (kom) printf "" > kom; next }
    /^<!-- (setup|run: [^ ]+|output: [^ ]+|file: [^ ]+ [^ ]+) -->$/ {
      split(substr($0, 6, length($0) - 9), s, /:? /)
      n++; rodzaj = s[1]; nazwa = (rodzaj == "setup") ? "-" : s[2]; sciezka = (rodzaj == "file") ? s[3] : "-"
      stan = 1
    }
    END { if (stan) { printf "%s: the last marker has no closed code block\n", FILENAME > "/dev/stderr"; exit 3 } }
  ' "$1"
}

# Starts the examples of one document, each in a shell of its own (they meet
# nowhere, so they run side by side); each output and file marker leaves what
# it saw in $kat/index.got.
uruchom() {
  local dok=$1 kat=$2 manifest=$3 n rodzaj nazwa sciezka od do
  local -a wpisy=() nazwy=()
  mapfile -t wpisy <"$manifest"
  jak_napisano=0
  for w in "${wpisy[@]}"; do
    read -r n rodzaj nazwa sciezka od do <<<"$w"
    [ "$rodzaj" = run ] && [[ " ${nazwy[*]} " != *" $nazwa "* ]] && [[ -z "$tylko" || "$nazwa" = "$tylko" ]] &&
      nazwy+=("$nazwa")
    [ "$rodzaj" = setup ] && grep -q '^start()' "$kat/$n.cmd" && jak_napisano=1
  done
  compgen -G "$kat/*.cmd" >/dev/null && przygotuj -i "$kat"/*.cmd
  for przyklad in "${nazwy[@]}"; do
    local skrypt="$kat/$przyklad.sh" ostatni="" pomin=0
    {
      echo "export KARVO_GUIDE_TMP='$kat' PATH='$programy:'\"\$PATH\""
      echo "source '$tmp/pomocnicy.sh'"
      echo "mkdir '$kat/$przyklad.dir' && cd '$kat/$przyklad.dir'"
      for w in "${wpisy[@]}"; do
        read -r n rodzaj nazwa sciezka od do <<<"$w"
        [ "$rodzaj" = setup ] || [ "$nazwa" = "$przyklad" ] || continue
        case "$rodzaj" in
          setup) echo "{ source '$kat/$n.cmd'; } >/dev/null" ;;
          run) [[ "$(<"$kat/$n.blok")" == *"/usr/sbin/ser2net "* && ! -x /usr/sbin/ser2net ]] && pomin=1
               echo "{ source '$kat/$n.cmd'; } >'$kat/$n.out'"; ostatni=$n ;;
          output) echo "cp '$kat/$ostatni.out' '$kat/$n.got'" ;;
          file) echo "cp -- '$sciezka' '$kat/$n.got' 2>/dev/null || echo '(no file $sciezka)' >'$kat/$n.got'" ;;
        esac
      done
      echo "karvo_koniec"
    } >"$skrypt"
    if [ $pomin = 1 ]; then
      [ "$kat" = "${kat%.[2-9]*}" ] &&
        echo "guide.sh: $(basename "$dok") example $przyklad skipped: ser2net is not installed (scripts/setup.sh installs it)"
      echo "$przyklad" >>"$kat/pominiete"
      continue
    fi
    bash "$skrypt" </dev/null 2>"$kat/$przyklad.err" &
  done
}

# Every produced block against the document; with --update a block that
# differs in more than its dates and times is written into the document.
porownaj() {
  local dok=$1 kat=$2 manifest=$3 zle=0 n rodzaj nazwa sciezka od do
  local -a bloki=() pliki=() pominiete=() formy=()
  [ -f "$kat/pominiete" ] && mapfile -t pominiete <"$kat/pominiete"
  while read -r n rodzaj nazwa sciezka od do; do
    [ "$rodzaj" = output ] || [ "$rodzaj" = file ] || continue
    [[ " ${pominiete[*]} " == *" $nazwa "* ]] && continue
    [[ -n "$tylko" && "$nazwa" != "$tylko" ]] && continue
    bloki+=("$n $rodzaj $nazwa $sciezka $od $do")
    pliki+=("$kat/$n.got")
  done <"$manifest"
  [ ${#pliki[@]} -gt 0 ] || return 0
  oczysc -i "${pliki[@]}"
  for b in "${bloki[@]}"; do
    n=${b%% *}
    printf '%s\n' "$(<"$kat/$n.blok")" >"$kat/$n.blok.forma"
    printf '%s\n' "$(<"$kat/$n.got")" >"$kat/$n.got.forma"
    formy+=("$kat/$n.blok.forma" "$kat/$n.got.forma")
  done
  forma -i "${formy[@]}"
  : >"$kat/zamiany"
  for b in "${bloki[@]}"; do
    read -r n rodzaj nazwa sciezka od do <<<"$b"
    [[ "$(<"$kat/$n.blok.forma")" == "$(<"$kat/$n.got.forma")" ]] && continue
    if [ $aktualizacja = 1 ]; then
      echo "$od $do $kat/$n.got" >>"$kat/zamiany"
      continue
    fi
    zle=1
    diff -u --label "$(basename "$dok"):$od ($rodzaj $nazwa $sciezka)" --label produced \
      "$kat/$n.blok.forma" "$kat/$n.got.forma"
    [ -s "$kat/$nazwa.err" ] && sed 's/^/  stderr: /' "$kat/$nazwa.err"
  done
  if [ -s "$kat/zamiany" ]; then
    # getline also yields a last line without its line break, and print adds one.
    awk 'FNR == NR { od[FNR] = $1; do_[FNR] = $2; plik[FNR] = $3; ile = FNR; next }
         { for (i = 1; i <= ile; i++) if (FNR == od[i]) { while ((getline l < plik[i]) > 0) print l; close(plik[i]) }
           for (i = 1; i <= ile; i++) if (FNR >= od[i] && FNR <= do_[i]) next
           print }' "$kat/zamiany" "$dok" >"$kat/nowy.md" && cp "$kat/nowy.md" "$dok"
  fi
  return $zle
}

# The Polish texts of the ResultCode table against share/KOMENT.TXT.
koment() {
  awk -v dok="$(basename "$1")" '
    FNR == NR { sub(/\r$/, ""); split($0, p, "\t"); tekst[FNR] = p[2]; next }
    /^<!-- resultcodes -->$/ { w = 1; next }
    /^<!-- \/resultcodes -->$/ { w = 0; next }
    w && split($0, k, "|") > 3 && k[2] ~ /^ *[0-9]+ *$/ {
      kod = k[2] + 0; t = k[3]; gsub(/^ +| +$/, "", t)
      if (kod > 0 && t != tekst[kod]) { printf "%s:%d: ResultCode %d: \"%s\", KOMENT.TXT says \"%s\"\n", dok, FNR, kod, t, tekst[kod]; zle = 1 }
    }
    END { exit zle }
  ' "$zrodla/share/KOMENT.TXT" "$1"
}

# The manual pages' examples, as a reader types them: roff escapes undone,
# installed paths from the source tree. Each page's example runs in the
# background; sprawdz_man then looks at what it printed.
uruchom_man() {
  local strona nazwa kat_man
  jak_napisano=1
  for strona in "$zrodla"/docs/man/*.1; do
    nazwa=$(basename "$strona" .1)
    kat_man="$tmp/man/$nazwa"
    mkdir -p "$kat_man"
    awk '/^\.EX/ { f = 1; next } /^\.EE/ { f = 0 } f' "$strona" |
      sed -e 's/\\-/-/g' -e "s/\\\\(aq/'/g" -e 's/\\(dq/"/g' -e 's/\\e/\\/g' -e 's/\\f[BIRP]//g' >"$kat_man/przyklad.sh"
    przygotuj -i "$kat_man/przyklad.sh"
    {
      echo "export PATH='$programy:'\"\$PATH\""
      echo "cd '$kat_man'"
      cat "$kat_man/przyklad.sh"
      echo 'wynik=$?; kill $(jobs -p) 2>/dev/null; wait; exit $wynik'
    } >"$kat_man/uruchom.sh"
    (timeout 60 bash "$kat_man/uruchom.sh" </dev/null >"$kat_man/wynik" 2>&1; echo $? >"$kat_man/kod") &
  done
}
sprawdz_man() {
  local kat_man zle=0
  for kat_man in "$tmp"/man/*; do
    local nazwa wynik
    nazwa=$(basename "$kat_man")
    wynik=$(<"$kat_man/wynik")
    local zly=0
    [ "$(<"$kat_man/kod")" = 0 ] || zly=1
    if grep -q /Q2 "$kat_man/przyklad.sh"; then
      [[ "$wynik" != *"wynikiem 0."* || "$wynik" =~ wynikiem\ [1-9] ]] && zly=1
    fi
    if [ $zly = 1 ]; then
      echo "guide.sh: the EXAMPLES of $nazwa(1) did not run as written:"
      sed 's/^/  /' "$kat_man/wynik"
      zle=1
    fi
  done
  return $zle
}

# Repetition 1 of a document works in $tmp/NAME, repetition r in $tmp/NAME.r;
# only the first writes into the documents with --update.
katalog_powtorzenia() { kat="$tmp/$(basename "$1" .md)"; [ "$2" = 1 ] || kat+=".$2"; }
# A document that starts its background programs itself (its setup defines start()).
sam_czeka() { grep -q '^start() {' "$1"; }
for r in $(seq "$powtorzenia"); do
  adresy "$r"
  for dok in "${dokumenty[@]}"; do
    [ "$r" = 1 ] || sam_czeka "$dok" || continue
    katalog_powtorzenia "$dok" "$r"
    mkdir -p "$kat"
    przeczytaj "$dok" "$kat" >"$kat/manifest" && uruchom "$dok" "$kat" "$kat/manifest" || bledy=1
  done
done
reczne=0
if [ $domyslne = 1 ]; then adresy 1; uruchom_man; reczne=1; fi
wait
[ $reczne = 1 ] && { sprawdz_man || bledy=1; }
for r in $(seq "$powtorzenia"); do
  adresy "$r"
  [ "$r" = 1 ] || aktualizacja=0
  for dok in "${dokumenty[@]}"; do
    katalog_powtorzenia "$dok" "$r"
    [ -s "$kat/manifest" ] || continue
    porownaj "$dok" "$kat" "$kat/manifest" || { bledy=1; [ "$powtorzenia" = 1 ] || echo "guide.sh: in run $r of $powtorzenia"; }
    [ "$r" = 1 ] && { koment "$dok" || bledy=1; }
  done
done
if [ $bledy = 0 ]; then
  [ $aktualizacja = 1 ] && echo "guide.sh: the documents now show what the programs produced" || echo "guide.sh: every example matches"
fi
exit $bledy
