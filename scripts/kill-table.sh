#!/usr/bin/env bash
# Kill table: nothing lost, nothing reported falsely. Each run writes a changed configuration
# to a simulated controller (paced like a real 19200-baud line) and kills trnsetup with SIGKILL
# at a random moment of the write, then checks:
#   - the controller's image file holds exactly the old image or exactly the new one;
#   - a controller holding the new image has a journal entry for that write (pending or
#     completed), and no entry claims an outcome the controller contradicts;
#   - the journal database passes PRAGMA integrity_check.
# The moment is uniform over the time a whole write takes, measured once by a reference run.
# Usage: scripts/kill-table.sh [BUILD_DIR] [RUNS]   (default: build 60)
# KILL_TABLE_SEED=n repeats a table's delays. Exits 1 on any violation, 2 when it cannot run.
# Not part of the test suite: it takes a few minutes and needs the sqlite3 program.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-build}
case $build in /*) ;; *) build=$here/$build ;; esac
runs=${2:-60}
seed=${KILL_TABLE_SEED:-$$}
RANDOM=$seed
trnsetup=$build/bin/trnsetup
trnsim=$build/bin/trnsim

die() { echo "kill-table: $*" >&2; exit 2; }
[[ $runs =~ ^[1-9][0-9]*$ ]] || die "RUNS must be a positive number, not '$runs'"
for f in "$trnsetup" "$trnsim" "$build/bin/english.rcc"; do
  [ -e "$f" ] || die "$f is missing; build first (cmake --build $build)"
done
command -v sqlite3 >/dev/null || die "sqlite3 is not installed (scripts/setup.sh installs it)"

work=$(mktemp -d)
sim=
stop_sim() {  # lets the simulator finish what it was given, then ends it (by its PID)
  [ -n "$sim" ] || return 0
  kill -TERM "$sim" 2>/dev/null || true
  for _ in $(seq 50); do kill -0 "$sim" 2>/dev/null || break; sleep 0.1; done
  kill -KILL "$sim" 2>/dev/null || true
  wait "$sim" 2>/dev/null || true
  sim=
}
trap 'stop_sim; rm -rf "$work"' EXIT

start_sim() {  # start_sim DIR: a paced simulator on DIR/controller.img; sets sim and dev
  "$trnsim" --image "$1/controller.img" --pace >"$1/sim.out" 2>"$1/sim.err" &
  sim=$!
  for _ in $(seq 50); do [ -s "$1/sim.out" ] && break; sleep 0.1; done
  dev=$(head -n 1 "$1/sim.out")
  [ -n "$dev" ] || die "trnsim did not start: $(cat "$1/sim.err")"
}
hex() { od -An -v -tx1 "$1" | tr -d ' \n' | tr a-f A-F; }
sql() { sqlite3 -batch -noheader "$1" "$2"; }
now_ms() { date +%s%3N; }

# The old image (the simulator's sample), a file that changes it, and the new image as a
# completed write leaves it.
ref=$work/reference
mkdir -p "$ref"
start_sim "$ref"
XDG_DATA_HOME=$ref/data timeout 30 "$trnsetup" read --port "$dev" -o "$ref/read.trncfg" >/dev/null ||
  die "reading the simulator failed"
cp "$ref/controller.img" "$work/old.img"
sed 's/^max_motor_current = [0-9]*%/max_motor_current = 85%/' "$ref/read.trncfg" >"$work/changed.trncfg"
cmp -s "$ref/read.trncfg" "$work/changed.trncfg" && die "the sample already has max_motor_current = 85%"
start=$(now_ms)
XDG_DATA_HOME=$ref/data timeout 30 "$trnsetup" write "$work/changed.trncfg" --port "$dev" --yes \
  >"$ref/write.out" 2>&1 || die "the reference write failed: $(cat "$ref/write.out")"
full_ms=$(($(now_ms) - start))
stop_sim
cp "$ref/controller.img" "$work/new.img"
old=$(hex "$work/old.img") new=$(hex "$work/new.img")
[ ${#old} -eq 256 ] && [ "$old" != "$new" ] || die "the reference write did not change the image"
[ "$(sql "$ref/data/trnsetup/journal.sqlite" "SELECT outcome FROM entries")" = verified ] ||
  die "the reference write is not journalled as verified"
echo "A whole write takes ${full_ms} ms; kills spread over [0, ${full_ms}] ms (seed $seed)."

olds=0 news=0 violations=0
for run in $(seq "$runs"); do
  dir=$work/run$run
  mkdir -p "$dir"
  cp "$work/old.img" "$dir/controller.img"
  start_sim "$dir"
  delay_ms=$(((RANDOM * 32768 + RANDOM) % (full_ms + 1)))
  XDG_DATA_HOME=$dir/data "$trnsetup" write "$work/changed.trncfg" --port "$dev" --yes \
    >"$dir/write.out" 2>&1 &
  writer=$!
  sleep "$(printf '%d.%03d' $((delay_ms / 1000)) $((delay_ms % 1000)))"
  if kill -KILL "$writer" 2>/dev/null; then how=killed; else how=finished; fi
  status=0
  { wait "$writer"; } 2>/dev/null || status=$?  # the shell's "Killed" notice is no news
  stop_sim  # after the simulator has taken every byte the writer sent

  problems=()
  image=$(hex "$dir/controller.img")
  case $image in
    "$old") state=old olds=$((olds + 1)) ;;
    "$new") state=new news=$((news + 1)) ;;
    *) state=other problems+=("the image is neither the old nor the new one") ;;
  esac
  [ "$how" = killed ] || [ "$status" -eq 0 ] || problems+=("the write exited $status unkilled")
  db=$dir/data/trnsetup/journal.sqlite
  count=0 outcome=none
  if [ -e "$db" ]; then
    check=$(sql "$db" "PRAGMA integrity_check" 2>&1) || true
    [ "$check" = ok ] || problems+=("integrity_check: $check")
    count=$(sql "$db" "SELECT count(*) FROM entries" 2>/dev/null) || count=0
    [ "$count" -le 1 ] || problems+=("$count journal entries for one write")
    if [ "$count" -ge 1 ]; then
      outcome=$(sql "$db" "SELECT outcome FROM entries ORDER BY id LIMIT 1")
      [ "$(sql "$db" "SELECT hex(held) = '$old' AND hex(image) = '$new' FROM entries LIMIT 1")" = 1 ] ||
        problems+=("the entry does not record this write (old image held, new image written)")
    fi
  fi
  case $state/$outcome in
    new/none | new/failed) problems+=("the controller holds the new image, the journal says $outcome") ;;
    old/verified | old/reply-lost-read-back | old/not-verified)
      problems+=("the journal says $outcome, the controller holds the old image") ;;
    */differs) problems+=("the journal says differs, yet no fault was simulated") ;;
  esac
  [ "$how" = killed ] || [ "$outcome" = verified ] || problems+=("a finished write is not verified")

  line=$(printf 'run %3d: %-8s at %5d ms: image %-3s journal %s' "$run" "$how" "$delay_ms" "$state" "$outcome")
  if [ ${#problems[@]} -eq 0 ]; then
    echo "$line"
    rm -rf "$dir"
  else
    violations=$((violations + 1))
    keep=$(mktemp -d /tmp/kill-table-run$run.XXXXXX)
    cp -a "$dir/." "$keep/"
    echo "$line  VIOLATION: $(IFS=';'; echo "${problems[*]}") (kept in $keep)"
  fi
done
echo "$runs runs: $olds old, $news new, $violations violations"
[ "$violations" -eq 0 ]
