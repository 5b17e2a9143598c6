#!/usr/bin/env bash
# Starts or stops a Slurm cluster of one node, this machine, for the tests of
# `kinetrope batch --slurm`: munged, slurmctld and slurmd run as root without systemd, with
# their configuration, state, logs and process ids in one folder (default
# /run/kinetrope-slurm). Needs the packages of `scripts/install-deps.sh --cluster`.
#   start   starts the daemons and waits until the node takes jobs; prints the line
#           `export SLURM_CONF=...` that points the Slurm commands at this cluster
#   stop    stops the daemons it started, by the process ids they wrote
#   status  exit status 0 when the cluster answers
# usage: slurm-cluster.sh start|stop|status [FOLDER]
set -euo pipefail

action=${1:-}
dir=${2:-/run/kinetrope-slurm}
conf=$dir/slurm.conf
node=$(hostname -s)

die() {
    echo "slurm-cluster: $*" >&2
    exit 1
}

# The process id a daemon wrote, when that process still runs.
running_pid() {
    local pid
    [[ -s $1 ]] || return 1
    pid=$(<"$1")
    [[ $pid =~ ^[0-9]+$ ]] && kill -0 "$pid" 2>/dev/null && echo "$pid"
}

stop_pid_file() {
    local pid
    pid=$(running_pid "$1") || return 0
    kill "$pid"
    for _ in $(seq 100); do
        kill -0 "$pid" 2>/dev/null || return 0
        sleep 0.1
    done
    kill -9 "$pid" 2>/dev/null || true
}

answers() {
    SLURM_CONF=$conf timeout 10 sinfo -h -n "$node" -o %T 2>/dev/null | grep -qE '^(idle|mixed|allocated)'
}

write_config() {
    local cpus memory
    cpus=$(nproc)
    # A node without RealMemory refuses every --mem; a little is kept for the system.
    memory=$(awk '/^MemTotal:/ { print int($2 / 1024 * 0.9) }' /proc/meminfo)
    mkdir -p "$dir/state" "$dir/spool"
    # The addresses are given so that no command waits on a host name look-up.
    cat >"$conf" <<EOF
ClusterName=kinetrope
SlurmctldHost=$node(127.0.0.1)
SlurmUser=root
SlurmdUser=root
AuthType=auth/munge
StateSaveLocation=$dir/state
SlurmdSpoolDir=$dir/spool
SlurmctldPidFile=$dir/slurmctld.pid
SlurmdPidFile=$dir/slurmd.pid
SlurmctldLogFile=$dir/slurmctld.log
SlurmdLogFile=$dir/slurmd.log
# Neither needs cgroups.
ProctrackType=proctrack/linuxproc
TaskPlugin=task/none
JobAcctGatherType=jobacct_gather/none
MailProg=/bin/true
SelectType=select/cons_tres
SelectTypeParameters=CR_CPU_Memory
ReturnToService=2
KillWait=10
# Jobs that ask for no memory get this much a CPU, not the whole node.
DefMemPerCPU=1024
NodeName=$node NodeAddr=127.0.0.1 CPUs=$cpus RealMemory=$memory State=UNKNOWN
PartitionName=main Nodes=$node Default=YES MaxTime=INFINITE State=UP
EOF
}

start_munge() {
    if munge -n </dev/null 2>/dev/null | unmunge >/dev/null 2>&1; then
        return 0  # one runs already, and is not ours to stop
    fi
    [[ -s /etc/munge/munge.key ]] || die "no /etc/munge/munge.key; run scripts/install-deps.sh --cluster"
    install -d -o munge -g munge -m 0755 /run/munge
    install -d -o munge -g munge -m 0700 /var/lib/munge /var/log/munge
    # munged writes its process id as the munge user.
    install -d -o munge -g munge -m 0755 "$dir/munge"
    runuser -u munge -- munged --pid-file="$dir/munge/munged.pid" ||
        die "munged did not start"
}

case $action in
start)
    [[ $(id -u) -eq 0 ]] || die "needs root"
    for program in munged slurmctld slurmd sinfo; do
        command -v "$program" >/dev/null ||
            die "$program is not installed; run scripts/install-deps.sh --cluster"
    done
    if running_pid "$dir/slurmctld.pid" >/dev/null && answers; then
        echo "export SLURM_CONF=$conf"
        exit 0
    fi
    mkdir -p "$dir"
    write_config
    start_munge
    # A fresh start: jobs of an earlier run are forgotten.
    running_pid "$dir/slurmctld.pid" >/dev/null || slurmctld -f "$conf" -c ||
        die "slurmctld did not start; see $dir/slurmctld.log"
    running_pid "$dir/slurmd.pid" >/dev/null || slurmd -f "$conf" -N "$node" ||
        die "slurmd did not start; see $dir/slurmd.log"
    for _ in $(seq 300); do
        if answers; then
            echo "export SLURM_CONF=$conf"
            exit 0
        fi
        sleep 0.1
    done
    die "the node did not come up in 30 s; see $dir/slurmctld.log and $dir/slurmd.log"
    ;;
stop)
    stop_pid_file "$dir/slurmd.pid"
    stop_pid_file "$dir/slurmctld.pid"
    stop_pid_file "$dir/munge/munged.pid"
    ;;
status)
    answers
    ;;
*)
    echo "usage: $0 start|stop|status [FOLDER]" >&2
    exit 2
    ;;
esac
