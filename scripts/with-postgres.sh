#!/usr/bin/env bash
# Runs a command with a throwaway PostgreSQL server on 127.0.0.1: a temporary data directory,
# a high port (ORTIVA_PG_PORT, else the first free one from 54329), a login with a password
# and a database. The server is stopped on every exit path. The command sees
#   ORTIVA_PG_CONNECT   an ODBC connection string to that database, without credentials
#   ORTIVA_PG_USER      the login, which must give ORTIVA_PG_PASSWORD (it holds ';' and '}')
#   ORTIVA_PG_PASSWORD
#   ORTIVA_PG_ADMIN     an ODBC connection string for the superuser (no password needed)
#
#   scripts/with-postgres.sh ctest --test-dir build
set -euo pipefail

pgbin=${PGBIN:-/usr/lib/postgresql/15/bin}
port=${ORTIVA_PG_PORT:-}
user=ortiva
password='s3cret;}pw'
database=ortiva_test

if [ ! -x "$pgbin/initdb" ]; then
    echo "with-postgres: no PostgreSQL server at $pgbin (install postgresql-15)" >&2
    exit 1
fi

# The first port nothing listens on, so that two runs side by side do not collide.
if [ -z "$port" ]; then
    for candidate in $(seq 54329 54399); do
        if ! (exec 3<>"/dev/tcp/127.0.0.1/$candidate") 2>/dev/null; then
            port=$candidate
            break
        fi
    done
    [ -n "$port" ] || { echo "with-postgres: no free port in 54329-54399" >&2; exit 1; }
fi

datadir=$(mktemp -d /tmp/ortiva-pg.XXXXXX)
chmod 755 "$datadir"
as_postgres=()
if [ "$(id -u)" -eq 0 ]; then
    # initdb refuses to run as root.
    chown postgres "$datadir"
    as_postgres=(runuser -u postgres --)
fi

stop() {
    local pid
    if [ -f "$datadir/data/postmaster.pid" ]; then
        pid=$(head -n 1 "$datadir/data/postmaster.pid")
        kill -INT "$pid" 2>/dev/null || true
        for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
        kill -KILL "$pid" 2>/dev/null || true
    fi
    rm -rf "$datadir"
}
trap stop EXIT

"${as_postgres[@]}" "$pgbin/initdb" -D "$datadir/data" -U postgres -A trust --no-sync \
    -E UTF8 --locale=C.UTF-8 >"$datadir/initdb.log" 2>&1 || { cat "$datadir/initdb.log" >&2; exit 1; }
# The superuser needs no password; every other login must give its own, so that a wrong or
# mangled password fails as it would on a real server.
"${as_postgres[@]}" tee "$datadir/data/pg_hba.conf" >/dev/null <<EOF
local all all                  trust
host  all postgres 127.0.0.1/32 trust
host  all all      127.0.0.1/32 scram-sha-256
EOF
"${as_postgres[@]}" "$pgbin/pg_ctl" -D "$datadir/data" -l "$datadir/server.log" -w -t 30 \
    -o "-c listen_addresses=127.0.0.1 -p $port -k $datadir -c fsync=off -c full_page_writes=off" \
    start >/dev/null || { cat "$datadir/server.log" >&2; exit 1; }

psql_admin() { "$pgbin/psql" -h 127.0.0.1 -p "$port" -U postgres -v ON_ERROR_STOP=1 -q "$@"; }
psql_admin -d postgres -c "CREATE ROLE $user LOGIN PASSWORD '${password//\'/\'\'}';" \
    -c "CREATE DATABASE $database OWNER $user;"
# The library's probe of the server's clock runs "select getdate()".
psql_admin -d "$database" -c "CREATE FUNCTION public.getdate() RETURNS timestamp
    LANGUAGE sql STABLE AS 'SELECT localtimestamp(0)';"

# The drivers as installed, but without psqlODBC's communication log, which would leave a file
# in /tmp for every process that connects.
if [ -f /etc/odbcinst.ini ]; then
    mkdir -p "$datadir/odbc"
    sed -e 's/^\(CommLog\|Debug\)[[:space:]]*=.*/\1=0/' /etc/odbcinst.ini >"$datadir/odbc/odbcinst.ini"
    [ -f /etc/odbc.ini ] && cp /etc/odbc.ini "$datadir/odbc/odbc.ini"
    export ODBCSYSINI="$datadir/odbc"
fi

export ORTIVA_PG_CONNECT="Driver={PostgreSQL Unicode};Server=127.0.0.1;Port=$port;Database=$database"
export ORTIVA_PG_USER=$user
export ORTIVA_PG_PASSWORD=$password
export ORTIVA_PG_ADMIN="Driver={PostgreSQL Unicode};Server=127.0.0.1;Port=$port;Database=postgres;UID=postgres"
"$@"
