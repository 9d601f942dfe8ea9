#!/bin/bash
# Runs the README's many-machine batch examples on this machine, each share in its own process,
# and checks that the shares together wrote exactly what one run over the whole list writes.
# Usage: batch_examples.sh PELIRA_CLI README.md FIXTURES
set -euo pipefail
cli=$(readlink -f "$1"); readme=$(readlink -f "$2"); fixtures=$(readlink -f "$3")
command -v parallel >/dev/null || { echo "GNU parallel is not installed (scripts/deps.sh installs it)"; exit 77; }
bin=$(mktemp -d); work=$(mktemp -d)
trap 'rm -rf "$bin" "$work"' EXIT
ln -s "$cli" "$bin/pelira-cli"
export PATH="$bin:$PATH"

# The block after "<!-- batch-example: NAME -->".
example() {
  awk -v want="<!-- batch-example: $1 -->" '
    $0 == want { found = 1; next }
    found && /^```/ { if (inside) exit; inside = 1; next }
    inside { print }' "$readme"
}

# Pictures in several folders; names repeat across folders, so the outputs need -1, -2.
make_photos() {
  mkdir -p "$1/photos/a" "$1/photos/b" "$1/photos/c/d"
  local i=0
  for f in base420 base422 base444 gray prog restart improg; do
    cp "$fixtures/codecs/jpeg/$f.jpg" "$1/photos/a/$f.jpg"
    cp "$fixtures/codecs/jpeg/$f.jpg" "$1/photos/b/p$i.jpg"
    i=$((i + 1))
  done
  cp "$fixtures/codecs/jpeg/base444.jpg" "$1/photos/c/d/base420.jpg"
  cp "$fixtures/codecs/jpeg/corrupt.jpg" "$1/photos/c/broken.jpg"
}

# One run over the whole list: the reference.
reference() {
  mkdir -p "$1/whole"
  pelira-cli convert-batch --to png --out "$1/whole" -0 --files-from "$1/list0" >/dev/null 2>&1 || true
}

check() {  # name folder summaries...
  local name=$1 dir=$2; shift 2
  if ! diff -r "$dir/whole" "$dir/out" >/dev/null; then
    echo "$name: the shares wrote other files than one run:"; diff -r "$dir/whole" "$dir/out" || true; exit 1
  fi
  local inputs lines
  inputs=$(tr -cd '\0' < "$dir/list0" | wc -c)
  lines=$(cat "$@" | wc -l)
  [ "$lines" = "$inputs" ] || { echo "$name: $lines summary lines for $inputs inputs"; exit 1; }
  grep -q '"status":"skipped","output":null' "$@" || { echo "$name: the broken file is not reported"; exit 1; }
  [ "$(ls "$dir/out" | wc -l)" -ge 15 ] || { echo "$name: too few outputs"; exit 1; }
  echo "$name: $inputs inputs, shares = one run"
}

# GNU parallel, every "host" being this machine.
d="$work/parallel"; mkdir -p "$d"; make_photos "$d"
# The broken picture makes the exit status 1; the checks below say what matters.
(cd "$d" && HOSTS=: bash -c "$(example parallel)") 2>/dev/null || true
reference "$d"
check parallel "$d" "$d/summary.jsonl"

# Slurm: the job script once per array task, the tasks running at once.
d="$work/slurm"; mkdir -p "$d/out"; make_photos "$d"
(cd "$d" && find "$PWD/photos" -name '*.jpg' -print0 > list0)
example slurm > "$d/convert.sbatch"
pids=()
for i in 0 1 2 3; do
  (cd "$d" && SLURM_ARRAY_TASK_ID=$i SLURM_ARRAY_TASK_COUNT=4 LIST="$d/list0" OUT="$d/out" sh convert.sbatch) 2>/dev/null &
  pids+=($!)
done
for p in "${pids[@]}"; do wait "$p" || true; done
reference "$d"
check slurm "$d" "$d"/summary-*.jsonl

# Kubernetes: the container's command once per completion index, /data being the volume.
d="$work/k8s"; mkdir -p "$d/out"; make_photos "$d"
(cd "$d" && find "$PWD/photos" -name '*.jpg' -print0 > list0)
cmd=$(example kubernetes | python3 -c '
import json, re, sys
for line in sys.stdin:
    m = re.match(r"\s*command:\s*(\[.*\])\s*$", line)
    if m:
        print(json.loads(m.group(1))[2])')
[ -n "$cmd" ] || { echo "kubernetes: no command in the example"; exit 1; }
cmd=${cmd//\/data/$d}
pids=()
for i in 0 1 2 3; do
  (JOB_COMPLETION_INDEX=$i sh -c "$cmd" > "$d/summary-$i.jsonl" 2>/dev/null) &
  pids+=($!)
done
for p in "${pids[@]}"; do wait "$p" || true; done
reference "$d"
check kubernetes "$d" "$d"/summary-*.jsonl
