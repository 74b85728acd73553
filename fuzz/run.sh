#!/bin/sh
# Runs one fuzz target: first every seed (a known input that crashes fails at
# once), then new inputs for DRAVIK_FUZZ_SECONDS seconds (default 5) or
# DRAVIK_FUZZ_RUNS inputs, whichever comes first. New inputs go to the work
# folder, never into the seed folders of the tree.
#   run.sh TARGET WORKDIR DICT SEEDDIR...
set -eu
target=$1 work=$2 dict=$3
shift 3
mkdir -p "$work/corpus" "$work/artifacts"
set -- "$work/corpus" "$@"
[ -n "$dict" ] && set -- "-dict=$dict" "$@"
runs=${DRAVIK_FUZZ_RUNS:--1}
seconds=${DRAVIK_FUZZ_SECONDS:-5}
# An input of more than 64 KiB adds nothing the parsers do not see in smaller
# ones and slows every run; a 10 s input is a hang.
exec "$target" -max_len="${DRAVIK_FUZZ_MAX_LEN:-65536}" -timeout=10 -rss_limit_mb=2048 \
    -max_total_time="$seconds" -runs="$runs" -print_final_stats=1 \
    -artifact_prefix="$work/artifacts/" "$@"
