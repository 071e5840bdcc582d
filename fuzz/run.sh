#!/bin/sh
# Runs one fuzz target over its committed corpus:
#   run.sh BINARY CORPUS WORK [libFuzzer options...]
# Inputs the run finds and the input of any failure go to WORK (emptied
# first), never into the committed corpus.
set -eu
binary=$1 corpus=$2 work=$3
shift 3
rm -rf "$work"
mkdir -p "$work/new"
exec "$binary" -artifact_prefix="$work/" -print_final_stats=1 "$@" "$work/new" "$corpus"
