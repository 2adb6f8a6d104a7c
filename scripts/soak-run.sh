#!/usr/bin/env bash
# One soak run: the game headless with the random-input player for FRAMES frames, its resident
# memory sampled every second. Fails on a non-zero exit, on any sanitizer or runtime report in
# its output, and when memory keeps growing after warm-up: the highest sample of the last half
# may exceed the highest of the second quarter by at most SOAK_RSS_SLACK_MB (default 8).
# Prints the memory curve. Usage: soak-run.sh GAME FRAMES SEED
set -uo pipefail
game=$1
frames=$2
seed=$3
slack=${SOAK_RSS_SLACK_MB:-8}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

echo "soak: $game, $frames frames, seed $seed"
start=$(date +%s)
"$game" --headless --frames "$frames" --random-input "$seed" --data-dir "$work/data" \
  > "$work/out.txt" 2> "$work/err.txt" &
pid=$!
: > "$work/rss.txt"
while kill -0 "$pid" 2> /dev/null; do
  rss=$(awk '/^VmRSS:/ {print $2}' "/proc/$pid/status" 2> /dev/null)
  [ -n "$rss" ] && echo "$(($(date +%s) - start)) $rss" >> "$work/rss.txt"
  sleep 1
done
wait "$pid"
status=$?
seconds=$(($(date +%s) - start))

failed=0
grep -h "Random player" "$work/out.txt" || true
echo "exit status $status after $seconds s"
[ "$status" -eq 0 ] || failed=1
if grep -E -q "ERROR: (Address|Leak)Sanitizer|runtime error:|SUMMARY: " "$work/err.txt"; then
  echo "soak: the sanitizers reported:"
  grep -E -A30 "ERROR: (Address|Leak)Sanitizer|runtime error:" "$work/err.txt" | head -80
  failed=1
fi
echo "standard error (first lines):"
head -5 "$work/err.txt"

python3 - "$work/rss.txt" "$slack" <<'PY' || failed=1
import sys
samples = [tuple(map(int, line.split())) for line in open(sys.argv[1]) if line.strip()]
slack = float(sys.argv[2])
if len(samples) < 8:
    print(f"memory: only {len(samples)} samples; too short a run to judge the curve")
    sys.exit(0)
mb = [(t, kb / 1024) for t, kb in samples]
n = len(mb)
print("memory curve (seconds, MB):")
step = max(1, n // 20)
print("  " + ", ".join(f"{t}s {m:.1f}" for t, m in mb[::step] + [mb[-1]]))
warm = max(m for _, m in mb[n // 4:n // 2])
late = max(m for _, m in mb[n // 2:])
print(f"memory: highest {warm:.1f} MB in the second quarter, {late:.1f} MB in the last half "
      f"(allowed growth {slack:.0f} MB)")
sys.exit(0 if late <= warm + slack else 1)
PY
[ "$failed" -eq 0 ] && echo "soak: passed" || echo "soak: FAILED"
exit "$failed"
