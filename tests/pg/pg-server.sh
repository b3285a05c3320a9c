#!/usr/bin/env bash
# A throw-away PostgreSQL cluster for the tests, run by an unprivileged user in a folder of
# its own under /tmp, reached on 127.0.0.1 with passwords from a password file.
#   pg-server.sh start DIR    initdb and start; DIR gets port, pgpass and the cluster's path
#   pg-server.sh stop DIR     stop and remove everything
#   pg-server.sh pause DIR    stop the server, keeping its data
#   pg-server.sh resume DIR   start it again on the same port
#   pg-server.sh sql DIR DB   run the SQL on standard input as the superuser
#   pg-server.sh rows DIR DB  the same, printing the rows, one a line, columns split by '|'
# Where no PostgreSQL 15 is installed, start writes DIR/skip with the reason and succeeds,
# and the tests skip saying so.
set -euo pipefail
command=$1
dir=$2
mkdir -p "$dir"

bin=/usr/lib/postgresql/15/bin
if [ ! -x "$bin/initdb" ] && command -v pg_config >/dev/null; then
  bin=$(pg_config --bindir)
fi
if [ ! -x "$bin/initdb" ]; then
  if [ "$command" = start ]; then
    echo "PostgreSQL 15 is not installed here (apt-get install postgresql-15)" >"$dir/skip"
    exit 0
  fi
  exit 0
fi

# PostgreSQL refuses to run as root: as root, run it as its own system user (or nobody).
as_server=()
if [ "$(id -u)" -eq 0 ]; then
  user=postgres
  id "$user" >/dev/null 2>&1 || user=nobody
  as_server=(runuser -u "$user" --)
fi

cluster() { cat "$dir/cluster"; }
port() { cat "$dir/port"; }

run_server() {
  "${as_server[@]}" "$bin/pg_ctl" -D "$(cluster)/data" -l "$(cluster)/log" -w -t 20 \
    -o "-p $(port) -k $(cluster) -c listen_addresses=127.0.0.1 -c fsync=off -c full_page_writes=off -c synchronous_commit=off" \
    start >/dev/null
}

case $command in
  start)
    rm -f "$dir/skip"
    # What a crashed earlier run left behind goes first.
    [ -f "$dir/cluster" ] && { "$0" stop "$dir" || true; mkdir -p "$dir"; }
    root=$(mktemp -d /tmp/trnsetup-pg.XXXXXX)
    chmod 755 "$root"
    echo "$root" >"$dir/cluster"
    printf 'admin-secret\n' >"$root/pwfile"
    [ ${#as_server[@]} -gt 0 ] && chown -R "$user" "$root"
    "${as_server[@]}" "$bin/initdb" -D "$root/data" -U trnadmin --pwfile="$root/pwfile" \
      --auth-local=trust --auth-host=scram-sha-256 -E UTF8 --no-sync >"$root/initdb.log"
    # A free port, tried again with the next should another program take it first.
    port=$((20000 + $$ % 20000))
    for _ in $(seq 20); do
      while (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null; do port=$((port + 1)); done
      echo "$port" >"$dir/port"
      run_server && break
      port=$((port + 1))
    done
    umask 077
    cat >"$dir/pgpass" <<PASS
127.0.0.1:*:*:trnadmin:admin-secret
127.0.0.1:*:*:trnsetup_owner:owner-secret
127.0.0.1:*:*:bay1:bay1-secret
127.0.0.1:*:*:bay2:bay2-secret
PASS
    "$0" sql "$dir" postgres <<'SQL'
CREATE ROLE trnsetup_owner LOGIN CREATEDB PASSWORD 'owner-secret';
SQL
    ;;
  stop)
    [ -f "$dir/cluster" ] || exit 0
    root=$(cluster)
    "${as_server[@]}" "$bin/pg_ctl" -D "$root/data" -m immediate stop >/dev/null 2>&1 || true
    rm -rf "$root" "$dir"
    ;;
  pause)
    "${as_server[@]}" "$bin/pg_ctl" -D "$(cluster)/data" -m fast -w stop >/dev/null
    ;;
  resume)
    run_server
    ;;
  sql)
    "$bin/psql" -X -q -v ON_ERROR_STOP=1 -h "$(cluster)" -p "$(port)" -U trnadmin -d "$3"
    ;;
  rows)
    "$bin/psql" -X -q -A -t -v ON_ERROR_STOP=1 -h "$(cluster)" -p "$(port)" -U trnadmin -d "$3"
    ;;
  *)
    echo "usage: $0 start|stop|pause|resume|sql|rows DIR [DB]" >&2
    exit 2
    ;;
esac
