#!/usr/bin/env bash
# bench/compare-ffmpeg.sh [BUILD] [RUNS]: the whole-process time of kinetrope converting a
# 640 x 480 movie of 150 frames of moving gradient shapes, against the ffmpeg program encoding
# the very same frames (dumped once beforehand as raw rows) with the same encoder settings.
# Each run times every case's two commands one right after the other, so that both see the
# same load; the medians of RUNS runs (5 unless told) and their ratio are printed, wall-clock
# and CPU (user + system) seconds, with the load average before and after: on a machine busy
# with other work the wall-clock ratio tends to the CPU one. Needs `make-bench-movie`
# (tools/), GNU time (/usr/bin/time) and ffmpeg on the PATH.
#
#   cmake --build build --target kinetrope make-bench-movie && bench/compare-ffmpeg.sh build
set -euo pipefail

build=${1:-build}
runs=${2:-5}
kinetrope=$build/kinetrope
maker=$build/tools/make-bench-movie
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$maker" "$work/movie.swf" --size 640x480 --frames 150
mkdir "$work/png"
"$kinetrope" png "$work/movie.swf" -o "$work/png/f.png" >/dev/null
ffmpeg -v error -i "$work/png/f%03d.png" -f rawvideo -pix_fmt bgr24 "$work/frames.raw"
rm -r "$work/png"
raw=(-v error -y -f rawvideo -pix_fmt bgr24 -s 640x480 -r 30 -i "$work/frames.raw")

# name | kinetrope's command | ffmpeg's command with the same encoder settings. MJPG at
# kinetrope's default quality is the encoder's own rate control, as ffmpeg's default is.
cases=(
    "avi MJPG, no sound|$kinetrope avi $work/movie.swf -o $work/k.avi --codec MJPG --audio none|ffmpeg ${raw[*]} -c:v mjpeg -pix_fmt yuvj420p $work/f.avi"
    "avi MJPG, movie's sound|$kinetrope avi $work/movie.swf -o $work/k.avi --codec MJPG|ffmpeg ${raw[*]} -c:v mjpeg -pix_fmt yuvj420p $work/f.avi"
)
# The video command, where this build has it: H.264 at x264's defaults (crf 23, medium).
if "$kinetrope" video --help >/dev/null 2>&1; then
    cases+=("video H.264 MP4, no sound|$kinetrope video $work/movie.swf -o $work/k.mp4 --audio none --crf 23 --preset medium|ffmpeg ${raw[*]} -c:v libx264 -crf 23 -preset medium -pix_fmt yuv420p $work/f.mp4")
fi

# "WALL CPU" seconds of one command.
seconds() {
    # shellcheck disable=SC2086
    /usr/bin/time -f '%e %U %S' -o "$work/time" $1 >/dev/null 2>&1 || {
        echo "failed: $1" >&2
        exit 1
    }
    awk '{ print $1, $2 + $3 }' "$work/time"
}

median() {
    printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

echo "load before: $(cut -d' ' -f1-3 /proc/loadavg), $(nproc) cores"
declare -A ours_wall ours_cpu theirs_wall theirs_cpu
for ((run = 0; run < runs; ++run)); do
    for entry in "${cases[@]}"; do
        IFS='|' read -r name ours_command theirs_command <<<"$entry"
        read -r wall cpu <<<"$(seconds "$ours_command")"
        ours_wall[$name]+="$wall "
        ours_cpu[$name]+="$cpu "
        read -r wall cpu <<<"$(seconds "$theirs_command")"
        theirs_wall[$name]+="$wall "
        theirs_cpu[$name]+="$cpu "
    done
done
echo "load after:  $(cut -d' ' -f1-3 /proc/loadavg)"
printf '%-26s %10s %10s %6s   %10s %10s %6s\n' "median of $runs" kinetrope ffmpeg ratio \
    "cpu kt" "cpu ffmpeg" ratio
for entry in "${cases[@]}"; do
    IFS='|' read -r name _ _ <<<"$entry"
    # shellcheck disable=SC2086
    kw=$(median ${ours_wall[$name]}) fw=$(median ${theirs_wall[$name]})
    # shellcheck disable=SC2086
    kc=$(median ${ours_cpu[$name]}) fc=$(median ${theirs_cpu[$name]})
    printf '%-26s %9.2fs %9.2fs %5.2fx   %9.2fs %9.2fs %5.2fx\n' "$name" "$kw" "$fw" \
        "$(echo "$kw / $fw" | bc -l)" "$kc" "$fc" "$(echo "$kc / $fc" | bc -l)"
done
