#!/usr/bin/env bash
# The viewer as a whole process under Xvfb: the time from its start until its window is shown
# (with the instructions page), and until it has opened the demo disk (the caption names it).
# Prints the median of RUNS runs (default 15) in milliseconds.
#   bench/startup_time.sh [RUNS]
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-15}
viewer=build/release/shell/kestrune
[ -x "$viewer" ] || { echo "no $viewer: build first (scripts/test)" >&2; exit 1; }

if [ -z "${DISPLAY:-}" ]; then
    exec xvfb-run -a -s "-screen 0 1600x1200x24" "$0" "$@"
fi

data=$(mktemp -d)
trap 'rm -rf "$data"' EXIT

# Milliseconds from the start of the viewer (given its arguments) until a window whose name
# contains $1 exists.
time_until() {
    local title=$1
    shift
    local start end
    start=$(date +%s%N)
    XDG_DATA_HOME=$data "$viewer" "$@" >/dev/null 2>&1 &
    local pid=$!
    until xwininfo -root -tree 2>/dev/null | grep -q "\"$title"; do
        if ! kill -0 "$pid" 2>/dev/null; then
            local status=0
            wait "$pid" || status=$?
            echo "the viewer ended (status $status) before its window \"$title\" appeared" >&2
            exit 1
        fi
    done
    end=$(date +%s%N)
    kill "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null || true
    echo $(((end - start) / 1000000))
}

median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

for _ in $(seq "$runs"); do time_until "Kestrune\"" >> "$data/shown"; done
for _ in $(seq "$runs"); do time_until "Kestrune - DEMO.D64" samples/demo.d64 >> "$data/opened"; done
shown=$(median < "$data/shown")
opened=$(median < "$data/opened")
echo "window shown with the instructions page: ${shown} ms (median of $runs)"
echo "window shown with the demo disk opened:  ${opened} ms (median of $runs)"
