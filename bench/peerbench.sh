#!/bin/sh
# Kivo side by side with CuteCom, gtkterm and a plain reader (cat), in one sitting, through the
# shared peerbench harness: 50 frames/s, a 5 MB flood and a 20 s flood, each program on a private
# Xvfb display reading a pseudo-terminal. Run from the project root after a build (build/src/kivo).
# The harness installs the programs it lacks from Debian and waits for a quiet machine.
#
#   bench/peerbench.sh [extra peerbench options]
#   PEERS="kivo gtkterm" RUNS=3 MODES=rate,flood,sustain OUT=peerbench-results bench/peerbench.sh
set -eu

HARNESS=${PEERBENCH:-../shared/bench/peerbench.py}
RUNS=${RUNS:-3}
MODES=${MODES:-rate,flood,sustain}
OUT=${OUT:-peerbench-results/$(date +%Y%m%d-%H%M%S)}
PEERS=${PEERS:-kivo cutecom gtkterm null-cat}

[ -x build/src/kivo ] || { echo "build/src/kivo is missing: build first (make)" >&2; exit 1; }
mkdir -p "$OUT"
echo "cores: $(nproc); load before: $(cut -d' ' -f1-3 /proc/loadavg)"
for peer in $PEERS; do
    python3 "$HARNESS" run --peer "$peer" --runs "$RUNS" --modes "$MODES" --out "$OUT" --shot-dir "$OUT" "$@"
done
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"
python3 "$HARNESS" report "$OUT"/*.jsonl | tee "$OUT/table.md"
echo "screenshots: $OUT/*-mid.png, $OUT/*-end.png"
