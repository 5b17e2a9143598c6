#!/usr/bin/env bash
# bench/compare-slurm-batch.sh [BUILD] [RUNS]: the wall-clock time of one batch of 16 short
# movies (320 x 240, 60 frames, to AVI MJPG) run here with --jobs as many as the cluster's
# CPUs, against the same batch through `--slurm` on a cluster of this machine alone: one
# worker given all the CPUs, and one worker per CPU. Each run times the cases one right
# after the other, outputs deleted before each; the medians of RUNS runs (5 unless told) and
# their ratios to the local time are printed. Needs `make-bench-movie` (tools/) and a cluster
# that answers (scripts/slurm-cluster.sh start, with SLURM_CONF exported).
#
#   cmake --build build --target kinetrope make-bench-movie && bench/compare-slurm-batch.sh build
set -euo pipefail

build=$(realpath "${1:-build}")
runs=${2:-5}
kinetrope=$build/kinetrope
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cpus=$(sinfo -h -o %c | head -n1)
for i in $(seq 0 15); do
    "$build/tools/make-bench-movie" "$work/m$i.swf" --size 320x240 --frames 60 --shapes $((4 + i))
    echo "avi m$i.swf -o out/m$i.avi --codec MJPG --audio none" >>"$work/tasks.txt"
done

cases=(
    "here, --jobs $cpus|--jobs $cpus"
    "--slurm, 1 worker of $cpus CPUs|--slurm --slurm-option --cpus-per-task=$cpus"
    "--slurm, $cpus workers of 1 CPU|--slurm --slurm-workers $cpus"
)

median() {
    printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

echo "load before: $(cut -d' ' -f1-3 /proc/loadavg), $(nproc) cores, $cpus CPUs in the cluster"
declare -A times
for ((run = 0; run < runs; ++run)); do
    for entry in "${cases[@]}"; do
        IFS='|' read -r name options <<<"$entry"
        rm -rf "$work/out" "$work/tasks.txt.slurm"
        mkdir "$work/out"
        start=$(date +%s.%N)
        # shellcheck disable=SC2086
        "$kinetrope" batch "$work/tasks.txt" $options >/dev/null 2>"$work/log" || {
            cat "$work/log" >&2
            exit 1
        }
        times[$name]+="$(echo "$(date +%s.%N) - $start" | bc) "
    done
done
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"

# shellcheck disable=SC2086
base=$(median ${times[${cases[0]%%|*}]})
printf '%-36s %10s %8s\n' "16 tasks" "median s" "ratio"
for entry in "${cases[@]}"; do
    name=${entry%%|*}
    # shellcheck disable=SC2086
    m=$(median ${times[$name]})
    printf '%-36s %10.2f %8.2f\n' "$name" "$m" "$(echo "$m / $base" | bc -l)"
done
