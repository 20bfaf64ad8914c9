#!/usr/bin/env bash
# Rebuilds the fuzz targets' seed corpus in fuzz/corpus/<target>/ from real inputs: every reply the
# simulator sends, match logs the headless monitor records from it, the sample template with the
# demo server's texts, and a settings file as the window writes it. Run after a build in build/.
#   scripts/fuzz-corpus.sh
set -euo pipefail
cd "$(dirname "$0")/.."
rm -rf fuzz/corpus
mkdir -p fuzz/corpus/fuzz_log fuzz/corpus/fuzz_template fuzz/corpus/fuzz_settings
build/morvek-sim --write-corpus fuzz/corpus
for type in 0 1 2 3; do
    build/morvek --headless --demo "$type" --polls 3 --check 0.1 \
        --record "fuzz/corpus/fuzz_log/$type.mv" >/dev/null
done
# The template, then the server panel's nine texts, then name, time and frags of player rows.
{ cat resources/template/standard.htm
  printf '\0%s' "Morvek demo server" "2.40" "e1m1" "127.0.0.1" "26000" "12" "6" "16" "Quake I" \
      "Ranger" "754" "12" "Shambler" "1201" "-1"; } > fuzz/corpus/fuzz_template/standard
printf '%s\r\n' '[Software\Varnoth\Morvek]' PlayerSorting=2 GraphRows=20 \
    ManteinDisconnectedPlayerInfo=1 DisconnectOnMapChange=0 CheckInterval=2.5 TimeOutInterval=30 \
    ServerName=127.0.0.1 ServerPort=26000 ServerType=0 SerieMaxPlayer=1 SerieFixed=16 \
    ShowLegend=True 'HTMLOutput=C:\\web\\status.htm' HTMLTemplate=standard.htm HTMLRefresh=60 \
    > fuzz/corpus/fuzz_settings/window
