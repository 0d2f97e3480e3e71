#!/usr/bin/env bash
# Fifty drops on the real window under Xvfb, each by a separate process
# speaking XDND as a file manager does. Every drop must be accepted and
# converted exactly once, and write its outputs beside its own file.
set -euo pipefail
tesk=${1:?path of tesk}
dropper=${2:?path of tesk-xdnd-drop}
source_dir=${3:?source folder}
drops=${DROPS:-50}
for tool in xvfb-run xauth; do
  command -v "$tool" >/dev/null || { echo "missing $tool (scripts/bootstrap installs it)"; exit 77; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for index in $(seq 1 "$drops"); do cp "$source_dir/samples/receipt.prn" "$work/job$index.prn"; done

cat >"$work/run.sh" <<'SCRIPT'
#!/usr/bin/env bash
set -euo pipefail
tesk=$1 dropper=$2 work=$3 drops=$4
mkfifo "$work/out"
"$tesk" --report-ready --report-runs "$work/job1.prn" >"$work/out" &
pid=$!
exec 3<"$work/out"
trap 'kill "$pid" 2>/dev/null || true' EXIT
read -r -t 60 -u 3 word window
[ "$word" = converted ] || { echo "expected the start file first, got: $word $window"; exit 1; }
read -r -t 60 -u 3 word window
[ "$word" = ready ] || { echo "tesk never showed its window"; exit 1; }
for index in $(seq 2 "$drops"); do
  file="$work/job$index.prn"
  if ! "$dropper" "$window" "$file"; then echo "drop $index was refused"; exit 1; fi
  if ! read -r -t 60 -u 3 word path; then echo "drop $index never ran"; exit 1; fi
  [ "$word $path" = "converted $file" ] || { echo "drop $index ran as: $word $path"; exit 1; }
done
# Nothing runs twice: no further report comes.
if read -r -t 2 -u 3 extra; then echo "an extra run: $extra"; exit 1; fi
kill -TERM "$pid"
wait "$pid"
SCRIPT
xvfb-run -a -n $((100 + RANDOM % 800)) -s "-screen 0 1024x768x24" \
  bash "$work/run.sh" "$tesk" "$dropper" "$work" "$drops"

for index in $(seq 1 "$drops"); do
  [ -f "$work/job$index.bmp" ] || { echo "job$index.bmp is missing"; exit 1; }
done
echo "$drops drops, each converted once"
