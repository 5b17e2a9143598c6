#!/usr/bin/env bash
# Fuzzes the movie loader: seeds it with every movie the tests build and the sample movie,
# then runs libFuzzer for the given number of seconds.
#   scripts/fuzz.sh BUILD_DIR SECONDS
# BUILD_DIR is a build configured with CC=clang CXX=clang++ -DKINETROPE_FUZZ=ON.
set -euo pipefail
build=${1:?usage: scripts/fuzz.sh BUILD_DIR SECONDS}
seconds=${2:?usage: scripts/fuzz.sh BUILD_DIR SECONDS}
cd "$(dirname "$0")/.."

cmake --build "$build" --target fuzz_load_movie test_swf sample-movie
seeds="$build/fuzz-seeds"
corpus="$build/fuzz-corpus"
mkdir -p "$seeds" "$corpus"
KINETROPE_FUZZ_SEEDS="$PWD/$seeds" "$build/tests/test_swf" >/dev/null
cp "$build/samples/sample.swf" "$seeds/"
echo "fuzzing with $(ls "$seeds" | wc -l) seed movies for $seconds s"
"$build/tests/fuzz/fuzz_load_movie" -max_total_time="$seconds" -max_len=65536 -timeout=30 \
    -rss_limit_mb=4096 -print_final_stats=1 -artifact_prefix="$build/" "$corpus" "$seeds"
