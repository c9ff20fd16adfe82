#!/usr/bin/env bash
# Soak: the simulator streams 1,000 frames/s into the real window (tab "Both", monitoring on) for
# 30 minutes over TCP, then over a pseudo-terminal; memory and descriptors are sampled every 10 s.
# Run from the project root after a build; needs a display (xvfb-run is used when there is none).
#   bench/soak.sh [SECONDS]      (default 1800 per link)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-1800}
bench=build/bench/benchMonitorE2E
[ -x "$bench" ] || { echo "soak: build first ($bench is missing)" >&2; exit 1; }
run=("$bench" --rate 1000 --seconds "$seconds" --link both --tab 3 --sample 10)
if [ -z "${DISPLAY:-}" ]; then
    exec xvfb-run -a -s "-screen 0 1280x800x24" "${run[@]}"
fi
exec "${run[@]}"
