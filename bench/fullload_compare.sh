#!/usr/bin/env bash
# Puts two builds of the full-load benchmark side by side in one run on this
# machine: each as it is, then each with every data sync 100 ms slower (the
# slowsync library preloaded), one after the other. A run that loses a line
# says so and the others still run.
#
#   bench/fullload_compare.sh BEFORE_BUILD_DIR AFTER_BUILD_DIR [SECONDS]
set -uo pipefail
before="$1"
after="$2"
seconds="${3:-30}"
slowsync="$after/bench/libcorvale_slowsync.so"
for slow in no yes; do
    for which in before after; do
        dir="${!which}"
        if [ "$slow" = yes ]; then
            CORVALE_SLOW_SYNC_MS=100 LD_PRELOAD="$slowsync" \
                "$dir/bench/corvale_bench_fullload" --seconds "$seconds" --label "$which"
        else
            "$dir/bench/corvale_bench_fullload" --seconds "$seconds" --label "$which"
        fi
    done
done
