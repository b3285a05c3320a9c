#!/usr/bin/env bash
# Times the shared history on a throw-away PostgreSQL server: history --where over 100,000
# entries seeded with SQL; the journal's window over 100,000 entries, the station's own and the
# shared one (first rows under 300 ms, a filter change under 500 ms, or the script fails); and a
# batch of eight paced simulators with the station's own journal and with the shared one, side
# by side.
# Usage: scripts/bench-history.sh [BUILD_DIR]   (default: build)
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-build}
case $build in /*) ;; *) build=$here/$build ;; esac
bin=$build/bin
server=$here/tests/pg/pg-server.sh
work=$(mktemp -d)
sim_pid=
cleanup() {
  [ -n "$sim_pid" ] && kill $sim_pid 2>/dev/null || true
  "$server" stop "$work/server" || true
  rm -rf "$work"
}
trap cleanup EXIT
"$server" start "$work/server"
if [ -f "$work/server/skip" ]; then
  echo "bench-history: skipped: $(cat "$work/server/skip")"
  exit 0
fi
export PGPASSFILE=$work/server/pgpass XDG_DATA_HOME=$work/data XDG_CONFIG_HOME=$work/config
unset TRNSETUP_HISTORY
port=$(cat "$work/server/port")
url=postgresql://trnsetup_owner@127.0.0.1:$port/bench
echo "CREATE DATABASE bench OWNER trnsetup_owner;" | "$server" sql "$work/server" postgres
"$bin/trnsetup" history --init --history "$url" >/dev/null

# The journal's window, in its widget test's own databases on this server.
cmake --build "$build" --target pg_tests >/dev/null
TRN_PG_DIR=$work/server QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen} "$bin/pg_tests" \
  --gtest_also_run_disabled_tests --gtest_filter='*HistoryWindowTest.DISABLED_Bench*' \
  2>/dev/null | { grep -E '^journal window|Failure|Expected|actual' || true; }

# The simulator's sample controller, written to in the second half.
"$bin/trnsim" --image "$work/sample.img" >"$work/sim.out" &
sim_pid=$!
until [ -s "$work/sim.out" ]; do sleep 0.1; done
device=$(head -n 1 "$work/sim.out")

# 100,000 entries of 5,000 units at 8 stations, the sample image with max motor current
# (byte 14) from 20% to 100%.
image=$(od -An -v -tx1 "$work/sample.img" | tr -d ' \n')
"$server" sql "$work/server" bench <<SQL
INSERT INTO trnsetup.entries (uuid, unit, time, program, station, image, outcome)
SELECT gen_random_uuid(), 'TRN48201-' || lpad(upper(to_hex(i % 5000)), 8, '0'),
       timestamptz '2024-01-01' + i * interval '1 minute', 'trnsetup 4.1.0', 'bay-' || i % 8,
       overlay(decode('$image', 'hex') placing decode(lpad(to_hex(20 + i % 81), 2, '0'), 'hex')
               from 15 for 1),
       'verified'
FROM generate_series(1, 100000) AS i;
ANALYZE trnsetup.entries;
SQL
seconds() { date +%s.%N; }
since() { awk -v a="$1" -v b="$(seconds)" 'BEGIN { printf "%.2f", b - a }'; }
for where in 'max_motor_current>80%' 'throttle_sensor_type=1-4V'; do
  start=$(seconds)
  lines=$("$bin/trnsetup" history --history "$url" --where "$where" | wc -l)
  printf 'history --where %-28s on 100000 entries: %5d found in %s s\n' "'$where'" "$lines" \
    "$(since "$start")"
done

# A batch of eight paced simulators written at once, with each journal, side by side.
"$bin/trnsetup" read -o "$work/unit.trncfg" --port "$device" >/dev/null
ports=()
for n in 1 2 3 4 5 6 7 8; do
  "$bin/trnsim" --pace --image "$work/unit$n.img" >"$work/sim$n.out" &
  sim_pid="$sim_pid $!"
  until [ -s "$work/sim$n.out" ]; do sleep 0.05; done
  ports+=(--port "$(head -n 1 "$work/sim$n.out")")
done
declare -A took
for history in local "$url" local "$url"; do
  start=$(seconds)
  "$bin/trnsetup" write "$work/unit.trncfg" "${ports[@]}" --yes --force --history "$history" \
    >/dev/null
  kind=$([ "$history" = local ] && echo local || echo shared)
  took[$kind]=$(since "$start")
  printf 'a batch of 8 with the %-6s journal: %s s\n' "$kind" "${took[$kind]}"
  if [ "$kind" = shared ]; then
    awk -v s="${took[shared]}" -v l="${took[local]}" \
      'BEGIN { printf "shared / local: %.2f times\n", s / l }'
  fi
done
