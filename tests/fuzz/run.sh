#!/bin/bash
# Builds the map file reader's fuzzer (when its sources changed) and runs it
# for SECONDS (default 60). Quiet on success. On a crash, sanitizer report,
# leak or hang it prints the report, keeps the input and exits non-zero;
# such an input belongs in tests/fuzz/regressions/.
set -euo pipefail
seconds=${1:-60}
root=$(cd "$(dirname "$0")/../.." && pwd)
out=${FUZZ_BUILD_DIR:-$root/build-fuzz}
bin=$out/load_map_fuzz
sources=(network/network.cpp network/map_file.cpp tests/fuzz/load_map_fuzz.cpp)
headers=(network/network.h network/map_file.h tests/network/lists.h)
mkdir -p "$out/corpus"

stale=0
[ -x "$bin" ] || stale=1
for f in "${sources[@]}" "${headers[@]}"; do
    [ "$root/$f" -nt "$bin" ] && stale=1
done
if [ "$stale" = 1 ]; then
    (cd "$root" && clang++-14 -std=c++17 -O1 -g -Wall -Wextra -I. -Itests \
        -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all \
        "${sources[@]}" -o "$bin") >"$out/build.log" 2>&1 || {
        cat "$out/build.log" >&2
        echo "fuzz: build failed" >&2
        exit 1
    }
fi

corpora=("$out/corpus" "$root/tests/fuzz/seeds")
for d in "$root/tests/fuzz/regressions" "$root/samples"; do
    [ -d "$d" ] && corpora+=("$d")
done
log=$out/fuzz.log
rc=0
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
    "$bin" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=4096 \
    -artifact_prefix="$out/" "${corpora[@]}" >"$log" 2>&1 &
pid=$!
wait "$pid" || rc=$?
rm -f /dev/shm/load_map_fuzz."$pid".* /tmp/load_map_fuzz."$pid".*   # left by a crash
if [ "$rc" != 0 ] || grep -qE "ERROR: |runtime error|WARNING: .*Sanitizer" "$log"; then
    tail -n 60 "$log" >&2
    echo "fuzz: FAILED (status $rc); full log $log; inputs:" >&2
    ls "$out"/crash-* "$out"/leak-* "$out"/timeout-* "$out"/oom-* >&2 2>/dev/null || true
    exit 1
fi
runs=$(grep -oE "Done [0-9]+ runs" "$log" | tail -n 1 || true)
echo "fuzz: ${runs:-done} in ${seconds}s, no crash"
