#!/usr/bin/env bash
# Fuzzes the engine with its three libFuzzer targets, a third of the time each:
#  - fuzz_load_movie, seeded with every movie the tests build and the sample movie;
#  - fuzz_actions, action bytecode run inside a small movie, seeded with the target's own
#    action programs;
#  - fuzz_video, video streams of every codec and any size through the video decoders, seeded
#    with streams libavcodec's encoders write and hand-made frames.
#   scripts/fuzz.sh BUILD_DIR SECONDS [SEED_BUILD_DIR]
# BUILD_DIR is a build configured with CC=clang CXX=clang++ -DKINETROPE_FUZZ=ON. The seed
# movies come from SEED_BUILD_DIR's tests and sample movie (a plain build made already, so the
# fuzzing build makes only its targets); without it, BUILD_DIR makes them too. Findings are
# written to BUILD_DIR/crash-*, ... for movies, BUILD_DIR/actions-crash-*, ... for actions and
# BUILD_DIR/video-crash-*, ... for video streams.
set -euo pipefail
build=$(realpath -m "${1:?usage: scripts/fuzz.sh BUILD_DIR SECONDS}")
seconds=${2:?usage: scripts/fuzz.sh BUILD_DIR SECONDS}
seed_build=$(realpath -m "${3:-$1}")
cd "$(dirname "$0")/.."
# libFuzzer reads a time of 0 as no limit.
movie_seconds=$((seconds > 2 ? seconds / 3 : 1))
video_seconds=$movie_seconds
action_seconds=$((seconds - 2 * movie_seconds > 0 ? seconds - 2 * movie_seconds : 1))

cmake --build "$build" --target fuzz_load_movie fuzz_actions fuzz_video
cmake --build "$seed_build" --target test_swf sample-movie
seeds="$build/fuzz-seeds"
corpus="$build/fuzz-corpus"
mkdir -p "$seeds" "$corpus"
KINETROPE_FUZZ_SEEDS="$seeds" "$seed_build/tests/test_swf" >/dev/null
cp "$seed_build/samples/sample.swf" "$seeds/"
# A movie as FFmpeg's muxer writes it (MP3 stream sound beside Sorenson video), when it can.
ffmpeg -v error -y -f lavfi -i testsrc=size=64x48:rate=12 -f lavfi -i sine=frequency=440 -t 1 \
    -c:v flv -c:a libmp3lame -ar 22050 "$seeds/ffmpeg-mp3.swf" 2>/dev/null || true
echo "fuzzing with $(ls "$seeds" | wc -l) seed movies for $movie_seconds s"
# A finding fails the script, but only once both targets had their time.
status=0
"$build/tests/fuzz/fuzz_load_movie" -max_total_time="$movie_seconds" -max_len=65536 -timeout=30 \
    -rss_limit_mb=4096 -print_final_stats=1 -artifact_prefix="$build/" "$corpus" "$seeds" ||
    status=$?

action_seeds="$build/fuzz-actions-seeds"
action_corpus="$build/fuzz-actions-corpus"
mkdir -p "$action_seeds" "$action_corpus"
KINETROPE_FUZZ_ACTION_SEEDS="$action_seeds" "$build/tests/fuzz/fuzz_actions"
echo "fuzzing actions with $(ls "$action_seeds" | wc -l) seed programs for $action_seconds s"
# Every action list may run 5,000,000 actions, seconds under the sanitizers, so a script can
# legitimately outlast the timeout: in a separate process, timeouts are kept as findings
# (actions-timeout-*) but do not stop the run; crashes, leaks and running out of memory do.
"$build/tests/fuzz/fuzz_actions" -fork=1 -ignore_timeouts=1 -ignore_ooms=0 \
    -max_total_time="$action_seconds" -max_len=4096 -timeout=30 -rss_limit_mb=4096 \
    -print_final_stats=1 -artifact_prefix="$build/actions-" "$action_corpus" "$action_seeds" ||
    status=$?
video_seeds="$build/fuzz-video-seeds"
video_corpus="$build/fuzz-video-corpus"
mkdir -p "$video_seeds" "$video_corpus"
KINETROPE_FUZZ_VIDEO_SEEDS="$video_seeds" "$build/tests/fuzz/fuzz_video"
echo "fuzzing video with $(ls "$video_seeds" | wc -l) seed streams for $video_seconds s"
"$build/tests/fuzz/fuzz_video" -max_total_time="$video_seconds" -max_len=65536 -timeout=30 \
    -rss_limit_mb=4096 -print_final_stats=1 -artifact_prefix="$build/video-" "$video_corpus" \
    "$video_seeds" || status=$?

timeouts=$(find "$build" -maxdepth 1 -name 'actions-timeout-*' | wc -l)
if ((timeouts > 0)); then
    echo "fuzz_actions: $timeouts inputs in $build/actions-timeout-* ran past the 30 s timeout"
fi
exit "$status"
