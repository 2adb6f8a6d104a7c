#!/usr/bin/env bash
# One soak run: the game headless with the random-input player for FRAMES frames. Fails on a
# non-zero exit, on any sanitizer or runtime report in its output, and when memory keeps growing.
# The player samples the heap in use and the anonymous resident memory each time it arrives at
# the main menu or the level selection, where nothing of a level is alive: the highest of the
# later half of those samples may exceed the highest of the earlier half by at most
# SOAK_HEAP_SLACK_MB (default 1) and SOAK_RESIDENT_SLACK_MB (default 2). Resident memory during
# play follows what each level holds; it is sampled every second, printed as a curve and bounded
# by SOAK_RSS_CEILING_MB (default 640). Usage: soak-run.sh GAME FRAMES SEED
set -uo pipefail
game=$1
frames=$2
seed=$3
heap_slack=${SOAK_HEAP_SLACK_MB:-1}
resident_slack=${SOAK_RESIDENT_SLACK_MB:-2}
ceiling=${SOAK_RSS_CEILING_MB:-640}
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

python3 - "$work/rss.txt" "$work/out.txt" "$heap_slack" "$resident_slack" "$ceiling" <<'PY' || failed=1
import re, sys
rss_file, out_file = sys.argv[1], sys.argv[2]
heap_slack, resident_slack, ceiling = map(float, sys.argv[3:6])
ok = True
rss = [tuple(map(int, line.split())) for line in open(rss_file) if line.strip()]
if rss:
    mb = [(t, kb / 1024) for t, kb in rss]
    step = max(1, len(mb) // 20)
    print("resident memory (seconds, MB):")
    print("  " + ", ".join(f"{t}s {m:.1f}" for t, m in mb[::step] + [mb[-1]]))
    peak = max(m for _, m in mb)
    print(f"resident memory: highest {peak:.1f} MB (ceiling {ceiling:.0f} MB)")
    ok = ok and peak <= ceiling

def samples(label):
    found = []
    for line in open(out_file):
        if label in line:
            found = [float(x) for x in re.findall(r"[0-9]+\.[0-9]+", line.split(":", 2)[-1])]
    return found

def flat(name, values, slack):
    """The first sample comes before any level was played; a leak shows as the later samples
    standing higher than the earlier ones."""
    print(f"{name} at each arrival at a menu screen (MB): " + " ".join(f"{m:.2f}" for m in values))
    if len(values) < 4:
        print(f"{name}: only {len(values)} samples; too few to judge growth")
        return True
    half = len(values) // 2
    early, late = max(values[1:half + 1]), max(values[half + 1:])
    print(f"{name}: highest {early:.2f} MB in the first half of the samples, {late:.2f} MB in the "
          f"second (allowed growth {slack:.1f} MB)")
    return late <= early + slack

ok = flat("heap in use", samples("heap in use between levels"), heap_slack) and ok
ok = flat("resident memory", samples("resident memory between levels"), resident_slack) and ok
sys.exit(0 if ok else 1)
PY
[ "$failed" -eq 0 ] && echo "soak: passed" || echo "soak: FAILED"
exit "$failed"
