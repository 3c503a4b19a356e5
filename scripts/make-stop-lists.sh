#!/usr/bin/env bash
# Makes the stop-word lists in data/stopwords from their published sources, with their licences:
# - Debian's liblingua-stopwords-perl 0.12-2 (the Perl module Lingua::StopWords, whose lists
#   the Snowball project made): Danish, Dutch, English, Finnish, French, German, Hungarian,
#   Indonesian, Italian, Norwegian, Portuguese, Romanian, Russian, Spanish, Swedish;
# - the npm package stopwords-iso 1.1.0: Polish, which the Snowball lists lack.
# Each list is one word per line, in UTF-8, lower-case as published, sorted by code point, each
# word once. Run it again after changing a version below; it replaces the lists and SOURCES.
#
# usage: scripts/make-stop-lists.sh
set -euo pipefail
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
out=$repo/data/stopwords
perl_package=liblingua-stopwords-perl
perl_version=0.12-2
npm_package=stopwords-iso
npm_version=1.1.0
snowball_languages=(da de en es fi fr hu id it nl no pt ro ru sv)
iso_languages=(pl)

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
chmod 755 "$scratch" # apt-get download fetches as the user _apt

fetch() {
  (cd "$scratch" && apt-get download -qq "$perl_package=$perl_version")
  dpkg-deb -x "$scratch/${perl_package}_${perl_version}_all.deb" "$scratch/perl"
  (cd "$scratch" && npm pack --silent "$npm_package@$npm_version" >/dev/null)
  mkdir "$scratch/npm"
  tar -xzf "$scratch/$npm_package-$npm_version.tgz" -C "$scratch/npm"
}

# The words of one list, as the module gives them in UTF-8.
snowball_list() {
  perl -CO -I"$scratch/perl/usr/share/perl5" -MLingua::StopWords=getStopWords \
    -e 'print "$_\n" for keys %{ getStopWords($ARGV[0], "UTF-8") }' "$1"
}

iso_list() {
  node -e 'const lists = require(process.argv[1]);
           for (const word of lists[process.argv[2]]) console.log(word);' \
    "$scratch/npm/package/stopwords-iso.json" "$1"
}

write_list() {
  LC_ALL=C sort -u | sed '/^$/d' >"$out/$1.txt"
}

main() {
  fetch
  rm -f "$out"/*.txt
  mkdir -p "$out"
  for language in "${snowball_languages[@]}"; do snowball_list "$language" | write_list "$language"; done
  for language in "${iso_languages[@]}"; do iso_list "$language" | write_list "$language"; done
  cp "$scratch/perl/usr/share/doc/$perl_package/copyright" "$out/COPYING.lingua-stopwords"
  cp /usr/share/common-licenses/Artistic "$out/COPYING.Artistic"
  node -e 'const p = require(process.argv[1]);
           console.log(`${p.name} ${p.version}, by ${p.author}; its package.json declares ` +
                       `the licence "${p.license}" and it ships no licence text.`);' \
    "$scratch/npm/package/package.json" >"$out/COPYING.stopwords-iso"
  grep -F 'You are free to use this collection' "$scratch/npm/package/README.md" \
    | sed 's/^/Its README says: /' >>"$out/COPYING.stopwords-iso"
  {
    echo "Made by scripts/make-stop-lists.sh from:"
    echo "- Debian package $perl_package $perl_version (Lingua::StopWords, lists made by the"
    echo "  Snowball project), sha256 $(sha256sum "$scratch/${perl_package}_${perl_version}_all.deb" | cut -d' ' -f1):"
    echo "  ${snowball_languages[*]}; licence: Artistic or GPL-1+ (COPYING.lingua-stopwords)"
    echo "- npm package $npm_package $npm_version, sha256 $(sha256sum "$scratch/$npm_package-$npm_version.tgz" | cut -d' ' -f1):"
    echo "  ${iso_languages[*]}; licence: MIT (COPYING.stopwords-iso)"
    for list in "$out"/*.txt; do echo "$(basename "$list" .txt): $(wc -l <"$list") words"; done
    echo "The COPYING files stand beside the lists in Orvanta's sources; the installed package"
    echo "names the licences in its copyright file."
  } >"$out/SOURCES"
}

main "$@"
