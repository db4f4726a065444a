#!/usr/bin/env bash
# Checks the dynamic symbol tables of shared Ortiva libraries: each has a versioned SONAME,
# exports its public interface, and exports nothing of the drivers, the backends or the
# toolkits' internals. Usage: check-exports.sh LIBRARY...
set -euo pipefail

# Namespaces that hold only implementation; none of their names may leave a library.
internal='ortiva::(sqlite|odbc|detail|backup|cipher|db|forms|member_dispatch|management::sqlite|memory::detail|qt::detail)::'

status=0
fail() {
    echo "FAIL $1: $2" >&2
    status=1
}

[ $# -gt 0 ] || { echo "usage: $0 LIBRARY..." >&2; exit 2; }
for lib in "$@"; do
    name=$(basename "$lib")
    [ -f "$lib" ] || { fail "$name" "no such file"; continue; }
    soname=$(readelf -d "$lib" | sed -n 's/.*(SONAME).*\[\(.*\)\]/\1/p')
    [[ "$soname" =~ ^lib[a-z_]+\.so\.[0-9] ]] || fail "$name" "no versioned SONAME (${soname:-none})"

    exported=$(nm -D --defined-only -C "$lib" | cut -d' ' -f3- | sed 's/\[abi:cxx11\]//g')
    leaked=$(grep -E "$internal" <<<"$exported" || true)
    [ -z "$leaked" ] || fail "$name" "exports internals:"$'\n'"$(head -20 <<<"$leaked")"
    # SQLite, ODBC and Qt stay the libraries' own dependencies, not part of Ortiva's interface.
    foreign=$(grep -E '^(sqlite3_|SQL[A-Z]|Q[A-Z][A-Za-z]+::)' <<<"$exported" || true)
    [ -z "$foreign" ] || fail "$name" "re-exports a dependency:"$'\n'"$(head -5 <<<"$foreign")"

    case "$name" in
        libortiva.so*)
            required=('ortiva::Connection::create()' 'ortiva::Recordset::MoveNext()'
                      'ortiva::ClsCommonDb::ClsCommonDb()' 'ortiva::clscryptor::EnCrypt('
                      'ortiva::ClsDBBackupRestore::' 'ortiva::clsCommonGen::'
                      'ortiva::management::create_server()' 'ortiva::text::trim(std::basic_string_view'
                      'ortiva::to_text(ortiva::Variant const&)' 'typeinfo for ortiva::ErrorInfo'
                      'ortiva::version()' 'ortiva::component::create(') ;;
        libortiva_c.so*)
            # The whole C interface, unmangled.
            c_required=(ortiva_version ortiva_create ortiva_predeclared ortiva_create_control
                        ortiva_host_object_create ortiva_addref ortiva_release ortiva_live_objects
                        ortiva_id_of_name ortiva_member_flags ortiva_invoke ortiva_variant_clear
                        ortiva_variant_set_string ortiva_variant_set_array
                        ortiva_variant_set_object ortiva_strdup ortiva_error_clear)
            c_symbols=$(nm -D --defined-only "$lib" | awk '{print $3}')
            for symbol in "${c_required[@]}"; do
                grep -qx "$symbol" <<<"$c_symbols" || fail "$name" "does not export $symbol"
            done
            # Built from the static archives it also carries the C++ API; over the shared
            # libraries it needs only the C interface.
            required=() ;;
        libortiva_memory.so*) required=('ortiva::memory::create_control(' 'ortiva::memory::render(') ;;
        libortiva_qt.so*) required=('ortiva::qt::wrap(QWidget*)' 'ortiva::qt::QtRuntime::') ;;
        *) required=() ;;
    esac
    for symbol in "${required[@]}"; do
        grep -qF "$symbol" <<<"$exported" || fail "$name" "does not export $symbol"
    done
    [ $status -ne 0 ] || echo "ok $name: $(wc -l <<<"$exported") symbols, SONAME $soname"
done
exit $status
