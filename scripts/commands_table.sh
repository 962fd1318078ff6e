#!/usr/bin/env bash
# The README's table of built commands, made from the commands themselves:
# every KARVO_FUNKCJA / KARVO_FUNKCJA_Z_WYJSCIEM / KARVO_SEKWENCJA descriptor under
# commands/ (or one written out with UzupelnienieOpisu) gives a row (its CommandCode, its name, whether it writes an output file and
# whether it appends to it), and the comment "// _Name: ..." that opens its
# file gives what it does (its first sentence).
#
#   scripts/commands_table.sh            prints the table
#   scripts/commands_table.sh --update   writes it into README.md
#   scripts/commands_table.sh --check    exit code 1 when README.md holds another table
#
# The table stands in README.md between "<!-- commands -->" and "<!-- /commands -->".
set -euo pipefail
zrodla=$(cd "$(dirname "$0")/.." && pwd)
readme=$zrodla/README.md

tabela() {
  echo "| CommandCode | Entry point | Output file | What it does |"
  echo "|---|---|---|---|"
  find "$zrodla/commands" -name '*.cpp' -print0 | sort -z | xargs -0 perl -0777 -ne '
    my $plik = $_;
    my @opisy;
    push @opisy, [$1, $2, $3] while $plik =~ /^KARVO_FUNKCJA(_Z_WYJSCIEM)?\(\s*(\w+)\s*,(.*?)\);/msg;
    # A sequence names whether it takes an output file before its fields.
    push @opisy, [$2, $1, $3] while $plik =~ /^KARVO_SEKWENCJA\(\s*(\w+)\s*,\s*(?:0|(1))\s*,(.*?)\);/msg;
    # A command that wraps its run writes its descriptor out in full.
    push @opisy, [$3, $2, $1] while $plik =~ /UzupelnienieOpisu\(\s*\{(.*?)\}\s*,\s*"_(\w+)"\s*,\s*(?:0|(1))\s*\)/msg;
    for (@opisy) {
      my ($wyjscie, $nazwa, $opis) = @$_;
      next unless $opis =~ /\.Kod\s*=\s*(\d+)/;
      my $kod = $1;
      my $plik_wyjsciowy = !$wyjscie ? "no" : $opis =~ /\.NowyPlikWynikowy\s*=\s*0/ ? "yes, appended" : "yes";
      # The comment block that names the entry point, joined into one text.
      my @bloki = ($plik =~ /((?:^\/\/[^\n]*\n)+)/mg);
      my ($co) = grep { /^\/\/ _\Q$nazwa\E:/m } @bloki;
      $co = $bloki[0] // "" unless defined $co;
      $co =~ s/^\/\/ ?//mg; $co =~ s/\s*\n\s*/ /g; $co =~ s/^\s*_\Q$nazwa\E:\s*//;
      # Its first sentence: up to ".", ";" or ":" outside brackets (a bracket says more of it).
      my ($glebokosc, $koniec) = (0, length $co);
      for my $i (0 .. length($co) - 1) {
        my ($c, $dalej) = (substr($co, $i, 1), substr($co, $i + 1, 1));
        $glebokosc++ if $c eq "(";
        $glebokosc-- if $c eq ")" && $glebokosc > 0;
        next if $glebokosc;
        if (($c =~ /[.;]/ && ($dalej eq "" || $dalej =~ /\s/)) || ($c eq ":" && $dalej =~ /\s/)) { $koniec = $i; last }
      }
      $co = substr($co, 0, $koniec);
      $co =~ s/\|/\\|/g;
      printf "%d\t| %d | `_%s` | %s | %s |\n", $kod, $kod, $nazwa, $plik_wyjsciowy, $co;
    }' | sort -n -k1,1 | cut -f2-
}

case "${1:-}" in
  "") tabela ;;
  --update|--check)
    nowy=$(mktemp)
    trap 'rm -f "$nowy"' EXIT
    awk -v tabela="$(tabela)" '
      /^<!-- commands -->$/ { print; print tabela; pomin = 1; next }
      /^<!-- \/commands -->$/ { pomin = 0 }
      !pomin { print }' "$readme" >"$nowy"
    if [ "$1" = --update ]; then
      cp "$nowy" "$readme"
    elif ! diff -u --label "README.md" --label "the commands under commands/" "$readme" "$nowy"; then
      echo "commands_table.sh: README.md does not list the built commands: run scripts/commands_table.sh --update" >&2
      exit 1
    fi ;;
  *) echo "usage: scripts/commands_table.sh [--update|--check]" >&2; exit 2 ;;
esac
