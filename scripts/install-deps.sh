#!/usr/bin/env bash
# Installs the Debian packages Ortiva builds and tests with; skips what is already present.
# --docs adds what `make docs` needs, --bench what scripts/bench-sql.sh needs.
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config clang-format clang libclang-rt-14-dev
    libsqlite3-dev sqlite3 python3 python3-pytest
    libgtest-dev libgmock-dev libbenchmark-dev libcli11-dev nlohmann-json3-dev
    unixodbc-dev odbc-postgresql libsqliteodbc postgresql-15 postgresql-client libpq-dev
    qt6-base-dev libqt6sql6-sqlite xvfb xauth
)
for arg in "$@"; do
    case "$arg" in
        --docs) packages+=(doxygen) ;;
        --bench) packages+=(time bc) ;;
        *) echo "usage: $0 [--docs] [--bench]" >&2; exit 2 ;;
    esac
done

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
