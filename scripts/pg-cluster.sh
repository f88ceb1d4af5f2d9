# A private PostgreSQL 15 cluster on loopback for tests and benchmarks. Sourced, not run:
#   source scripts/pg-cluster.sh
#   pg_cluster_start || exit 1      # sets PGDIR and PORT; the cluster is stopped at exit
#   psql -h 127.0.0.1 -p "$PORT" -U postgres ...
#   pg_cluster_stop                 # also removes PGDIR; safe to call twice
# Needs root: the server runs as the postgres user.

PG_BIN=/usr/lib/postgresql/15/bin
PGDIR=""
PORT=""

pg_cluster_stop() {
  if [ -n "$PGDIR" ] && [ -f "$PGDIR/data/postmaster.pid" ]; then
    su postgres -s /bin/sh -c "$PG_BIN/pg_ctl -D '$PGDIR/data' -m immediate -w stop" >/dev/null 2>&1
  fi
  [ -n "$PGDIR" ] && rm -rf "$PGDIR"
  PGDIR=""
  PORT=""
}

# Extra server settings may be given as arguments ("-c shared_buffers=256MB").
pg_cluster_start() {
  PGDIR="$(mktemp -d /tmp/evapre-pg.XXXXXX)"
  chmod 755 "$PGDIR"
  chown postgres:postgres "$PGDIR"
  trap pg_cluster_stop EXIT
  su postgres -s /bin/sh -c "$PG_BIN/initdb -D '$PGDIR/data' -A trust -U postgres -E UTF8 --locale=C.UTF-8" \
    >"$PGDIR/initdb.log" 2>&1 || { cat "$PGDIR/initdb.log"; return 1; }
  local candidate
  for candidate in 55432 55442 55452 55462 55472; do
    if su postgres -s /bin/sh -c "$PG_BIN/pg_ctl -D '$PGDIR/data' -l '$PGDIR/server.log' -w -t 30 \
        -o \"-p $candidate -k '$PGDIR' -c listen_addresses=127.0.0.1 -c fsync=off -c max_connections=200 $*\" start" \
        >/dev/null 2>&1; then
      PORT=$candidate
      return 0
    fi
  done
  cat "$PGDIR/server.log"
  return 1
}

pg_cluster_reload() {
  su postgres -s /bin/sh -c "$PG_BIN/pg_ctl -D '$PGDIR/data' reload" >/dev/null
}
