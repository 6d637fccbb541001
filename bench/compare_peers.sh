#!/usr/bin/env bash
# Compares rill with its peers (Hugs for lazy evaluation, Python for big numbers) on the
# workloads in bench/workloads, and prints a markdown table of median times, peak memory
# and the median of the per-pair time ratios rill/peer. Not part of the test suite: run it
# on purpose, on a quiet machine if you can.
#
# Usage: bench/compare_peers.sh [-r RILL] [-n PAIRS] [-d DATA_DIR] [-l] [WORKLOAD ...]
#   -r RILL      the rill binary (default: build/rill of this checkout); nothing is built
#   -n PAIRS     how many rill/peer pairs to run per workload (default 5)
#   -d DATA_DIR  where the generated inputs go (default: $TMPDIR/rill-bench-data)
#   -l           list the workloads and stop
#   WORKLOAD     run only these (default: all)
# PYTHON names the Python to compare with (default /usr/bin/python3).
#
# Each pair runs rill, then its peer, so that drifts in machine load fall on both alike.
# Every run's output is compared with its partner's (or, for bigprog, with the output the
# generator says it must print). The exit status is 1 when any output differs or any run
# fails.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/.." && pwd)
workloads_dir=$here/workloads
tools=$here/peer_tools.py

rill=$root/build/rill
pairs=5
data_dir=${TMPDIR:-/tmp}/rill-bench-data

# name:peer   (peer is hugs, python or none)
all_workloads=(
    nfib:hugs
    church:hugs
    primes:hugs
    squares:hugs
    lines:hugs
    lines_lazy:hugs
    fact2000:python
    fact20000:python
    pow3:python
    bigprog:none
    startup:hugs
)

usage() {
    sed -n '2,/^set -euo/{/^set -euo/d;s/^# \{0,1\}//;p}' "$0" >&2
    exit 2
}

while getopts 'r:n:d:lh' option; do
    case $option in
        r) rill=$OPTARG ;;
        n) pairs=$OPTARG ;;
        d) data_dir=$OPTARG ;;
        l) for w in "${all_workloads[@]}"; do echo "${w%%:*} (peer: ${w#*:})"; done; exit 0 ;;
        *) usage ;;
    esac
done
shift $((OPTIND - 1))

if [[ ! $pairs =~ ^[1-9][0-9]*$ ]]; then
    echo "compare_peers: the number of pairs must be a positive integer, not '$pairs'" >&2
    exit 2
fi
if [[ ! -x $rill ]]; then
    echo "compare_peers: no rill binary at $rill (build it first, or pass -r)" >&2
    exit 2
fi
rill=$(cd "$(dirname "$rill")" && pwd)/$(basename "$rill")

# The chosen workloads, in the order of the list above.
selected=()
if (($# == 0)); then
    selected=("${all_workloads[@]}")
else
    for wanted in "$@"; do
        found=
        for w in "${all_workloads[@]}"; do
            [[ ${w%%:*} == "$wanted" ]] && { selected+=("$w"); found=1; }
        done
        if [[ -z $found ]]; then
            echo "compare_peers: no workload '$wanted' (-l lists them)" >&2
            exit 2
        fi
    done
fi

needs_peer() {
    local w
    for w in "${selected[@]}"; do [[ ${w#*:} == "$1" ]] && return 0; done
    return 1
}

# --- What the peers need -------------------------------------------------------------------

install_package() { # package
    echo "compare_peers: installing $1" >&2
    local sudo=
    [[ $(id -u) == 0 ]] || sudo=sudo
    if [[ -z ${apt_updated:-} ]]; then
        $sudo apt-get update -qq
        apt_updated=1
    fi
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "$1" > /dev/null
}

# GNU time reports each run's peak memory.
[[ -x /usr/bin/time ]] || install_package time
if needs_peer hugs && ! command -v runhugs > /dev/null; then
    install_package hugs
fi
# Debian's Python is the peer (and runs the helpers); PYTHON overrides it.
python=${PYTHON:-}
if [[ -z $python ]]; then
    if [[ -x /usr/bin/python3 ]]; then python=/usr/bin/python3; else python=$(command -v python3 || true); fi
fi
if [[ -z $python ]]; then
    echo "compare_peers: python3 is needed (for the helpers and the Python peers)" >&2
    exit 2
fi

# --- Generated inputs ----------------------------------------------------------------------

mkdir -p "$data_dir"
lines_file=$data_dir/lines.txt
big_program=$data_dir/bigprog.rill
big_expected=$data_dir/bigprog.expected
for w in "${selected[@]}"; do
    case ${w%%:*} in
        lines | lines_lazy) [[ -s $lines_file ]] || "$python" "$tools" lines "$lines_file" ;;
        bigprog)
            [[ -s $big_program && -s $big_expected ]] ||
                "$python" "$tools" program "$big_program" "$big_expected"
            ;;
    esac
done

# --- The runs ------------------------------------------------------------------------------

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
records=$scratch/records
: > "$records"
failed=0

# Sets the array rill_cmd to the rill command line of a workload.
set_rill_command() { # workload
    case $1 in
        lines | lines_lazy) rill_cmd=("$rill" "$workloads_dir/lines.rill" "$lines_file") ;;
        bigprog) rill_cmd=("$rill" "$big_program") ;;
        *) rill_cmd=("$rill" "$workloads_dir/$1.rill") ;;
    esac
}

# Sets the array peer_cmd to the peer's command line of a workload.
set_peer_command() { # workload peer
    case $2 in
        hugs)
            peer_cmd=(runhugs "$workloads_dir/$1.hs")
            if [[ $1 == lines || $1 == lines_lazy ]]; then peer_cmd+=("$lines_file"); fi
            ;;
        python) peer_cmd=("$python" "$workloads_dir/$1.py") ;;
    esac
}

# Runs one command with its output to a file and prints "SECONDS PEAK_KIB STATUS".
timed() { # output_file command...
    local out=$1
    shift
    "$python" "$tools" run "$out" -- "$@"
}

for w in "${selected[@]}"; do
    name=${w%%:*}
    peer=${w#*:}
    printf '%s:' "$name" >&2
    for ((pair = 1; pair <= pairs; pair++)); do
        set_rill_command "$name"
        read -r r_seconds r_peak r_status < <(timed "$scratch/rill.out" "${rill_cmd[@]}")
        if [[ $peer == none ]]; then
            agree=yes
            cmp -s "$scratch/rill.out" "$big_expected" || agree=no
            p_status=0
        else
            set_peer_command "$name" "$peer"
            read -r p_seconds p_peak p_status < <(timed "$scratch/peer.out" "${peer_cmd[@]}")
            agree=yes
            cmp -s "$scratch/rill.out" "$scratch/peer.out" || agree=no
        fi
        if [[ $r_status != 0 || $p_status != 0 ]]; then
            agree=no
        fi
        if [[ $agree == no ]]; then
            failed=1
            {
                echo
                if [[ $peer == none ]]; then statuses="rill exit $r_status"
                else statuses="rill exit $r_status, $peer exit $p_status"; fi
                echo "compare_peers: $name, pair $pair: the outputs differ or a run failed ($statuses)"
                echo "  rill:  $(head -c 200 "$scratch/rill.out" | tr '\n' ' ')$(head -c 200 "$scratch/rill.out.err" | tr '\n' ' ')"
                if [[ $peer == none ]]; then
                    echo "  wants: $(head -c 200 "$big_expected" | tr '\n' ' ')"
                else
                    echo "  $peer: $(head -c 200 "$scratch/peer.out" | tr '\n' ' ')$(head -c 200 "$scratch/peer.out.err" | tr '\n' ' ')"
                fi
            } >&2
        fi
        echo "$name rill rill $r_seconds $r_peak $agree" >> "$records"
        if [[ $peer != none ]]; then
            echo "$name peer $peer $p_seconds $p_peak $agree" >> "$records"
        fi
        printf ' %d' "$pair" >&2
    done
    echo >&2
done

echo
echo "rill: $rill; $("$python" --version); pairs per workload: $pairs, run alternately (rill, peer, rill, peer, ...);" \
    "times are wall-clock medians, peaks are median peak resident sets."
echo
"$python" "$tools" table "$records"
exit "$failed"
