#!/usr/bin/env bash
# What the weighing analysis costs: the real window under Xvfb monitors the simulator's load steps
# at 50 readings/s over a pseudo-terminal (tab "Both"), once with the analysis hidden and once
# shown (figures, trend plot, readings table); the window's CPU (% of one core) and its resident
# memory every 30 s are printed for each. Run from the project root after a build.
#   bench/analysisbench.sh [SECONDS]      (default 600 per run)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-600}
kivo=build/src/kivo
sim=build/bin/kivo-sim
[ -x "$kivo" ] && [ -x "$sim" ] || { echo "analysisbench: build first" >&2; exit 1; }
work=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null || true; rm -rf "$work"' EXIT
display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 1600x900x24 >/dev/null 2>&1 &
sleep 1
ticks=$(getconf CLK_TCK)

cpu_ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
rss_mib() { awk '/VmRSS/ {printf "%.1f", $2 / 1024}' "/proc/$1/status"; }

for shown in 0 1; do
    profile="$work/profile-$shown"
    mkdir -p "$profile/Kivo"
    "$sim" --pty "$work/tty" --rate 50 --pattern steps --settle 1 --hold 2 --weight 2 >/dev/null &
    simpid=$!
    sleep 1
    printf '[Setting]\nShowAnalysis=%s\n' "$shown" >"$profile/Kivo/Kivo.conf"
    DISPLAY=$display "$kivo" --profile "$profile" --port "$work/tty" --connect --monitor --tab both \
        >/dev/null 2>&1 &
    pid=$!
    sleep 5 # start-up and the first frames
    start=$(cpu_ticks $pid)
    began=$(date +%s.%N)
    samples=""
    for ((t = 0; t < seconds; t += 30)); do
        sleep $((seconds - t < 30 ? seconds - t : 30))
        samples="$samples $(rss_mib $pid)"
    done
    used=$(($(cpu_ticks $pid) - start))
    elapsed=$(echo "$(date +%s.%N) - $began" | bc)
    cpu=$(echo "scale=2; 100 * $used / $ticks / $elapsed" | bc)
    echo "analysis $([ "$shown" = 1 ] && echo shown || echo hidden): CPU ${cpu} % of one core over ${elapsed%.*} s;" \
         "RSS MiB every 30 s:$samples"
    DISPLAY=$display xwd -root -silent | convert xwd:- "bench-analysis-$shown.png" 2>/dev/null || true
    kill $pid $simpid
    wait $pid $simpid 2>/dev/null || true
done
