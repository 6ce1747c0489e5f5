#!/usr/bin/env bash
# The program ended by SIGTERM (a desktop logout) still writes its settings and the page on show.
# Usage: signal_test.sh PROGRAM SAMPLE_DIR
set -euo pipefail
prog=$1
sample=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/config" "$work/files"
cp "$sample"/Sample.dbf "$sample"/Sample.dbt "$sample"/Sample.mdx "$work/files/"
export SORAKUMO_CONFIG_DIR="$work/config" XDG_DATA_HOME="$work/data" QT_QPA_PLATFORM=xcb
xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
  "$1" "$2" & pid=$!
  for i in $(seq 1 100); do [ -s "$SORAKUMO_CONFIG_DIR/sorakumo.conf" ] && break; sleep 0.1; done
  sleep 0.5
  kill -TERM $pid
  wait $pid' _ "$prog" "$work/files/Sample.dbf"
conf="$work/config/sorakumo.conf"
grep -q 'sorakumo\\Top=' "$conf" || { echo "the settings were not written at shutdown"; cat "$conf"; exit 1; }
grep -q 'OpenCount=1' "$conf" || { echo "the page file was not opened"; exit 1; }
echo "settings written at SIGTERM"
