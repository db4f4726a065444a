#!/usr/bin/env bash
# Installs Ortiva into temporary prefixes and builds the consumer project against each, the
# way a user would: static and shared, through CMake and through pkg-config, and runs it.
# Usage: tests/package/run.sh STATIC_BUILD_DIR [SHARED_BUILD_DIR]
#   STATIC_BUILD_DIR: an existing static build (the test build), installed as it is.
#   SHARED_BUILD_DIR: where to configure and build the shared libraries (default
#                     build-shared); only the library targets are built.
set -euo pipefail
cd "$(dirname "$0")/../.."
root=$PWD
static_build=${1:?usage: $0 STATIC_BUILD_DIR [SHARED_BUILD_DIR]}
shared_build=${2:-build-shared}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
jobs=${JOBS:-$(nproc)}

step() { echo "== $*"; }

qt=OFF
[ -f "$static_build/libortiva_qt.a" ] && qt=ON

step "shared libraries in $shared_build"
cmake -S . -B "$shared_build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_SHARED_LIBS=ON \
    -DORTIVA_BUILD_TESTS=OFF -DORTIVA_BUILD_BENCH=OFF -DORTIVA_BUILD_TOOLS=OFF >/dev/null
targets=(ortiva ortiva_memory ortiva_c_library)
[ "$qt" = ON ] && targets+=(ortiva_qt)
cmake --build "$shared_build" -j "$jobs" --target "${targets[@]}"

for kind in static shared; do
    build=$static_build
    [ $kind = shared ] && build=$shared_build
    prefix=$work/$kind
    step "install $kind into $prefix"
    cmake --install "$build" --prefix "$prefix" >/dev/null
    libdir=$(find "$prefix" -name ortiva.pc -printf '%h\n' | head -1 | xargs dirname)

    if [ $kind = shared ]; then
        step "exported symbols"
        libs=("$libdir"/libortiva.so.* "$libdir"/libortiva_memory.so.* "$libdir"/libortiva_c.so.*)
        [ "$qt" = ON ] && libs+=("$libdir"/libortiva_qt.so.*)
        # The fully versioned files only; the SONAME links point at them.
        tests/package/check-exports.sh $(ls "${libs[@]}" | grep -E '\.so\.[0-9]+\.[0-9]+\.[0-9]+$')
    fi

    step "consumer through CMake ($kind)"
    cmake -S tests/package -B "$work/cmake-$kind" -G Ninja -DCMAKE_PREFIX_PATH="$prefix" \
        -DCONSUMER_WITH_QT=$qt >/dev/null
    cmake --build "$work/cmake-$kind" >/dev/null
    QT_QPA_PLATFORM=offscreen LD_LIBRARY_PATH="$libdir" "$work/cmake-$kind/consumer"

    step "consumer through pkg-config ($kind)"
    export PKG_CONFIG_PATH="$libdir/pkgconfig"
    modules=(ortiva ortiva-memory)
    static_flag=()
    [ $kind = static ] && static_flag=(--static)
    sources=(tests/package/consumer.cpp)
    defines=()
    if [ "$qt" = ON ]; then
        modules+=(ortiva-qt)
        sources+=(tests/package/consumer_qt.cpp)
        defines=(-DCONSUMER_WITH_QT=1)
    fi
    # Qt's headers need position-independent code.
    # shellcheck disable=SC2046
    c++ -std=c++20 -fPIC "${defines[@]}" "${sources[@]}" -o "$work/pc-$kind" \
        $(pkg-config "${static_flag[@]}" --cflags --libs "${modules[@]}")
    QT_QPA_PLATFORM=offscreen LD_LIBRARY_PATH="$libdir" "$work/pc-$kind"

    step "package checks ($kind)"
    # A component that does not exist fails; without Qt the package still works.
    probe=$work/probe-$kind
    mkdir -p "$probe"
    cat >"$probe/CMakeLists.txt" <<'CMAKE'
cmake_minimum_required(VERSION 3.25)
project(Probe LANGUAGES CXX)
find_package(Ortiva ${PROBE_VERSION} REQUIRED COMPONENTS ${PROBE_COMPONENTS})
CMAKE
    if cmake -S "$probe" -B "$probe/b1" -DCMAKE_PREFIX_PATH="$prefix" \
        -DPROBE_COMPONENTS=nosuchpart >/dev/null 2>&1; then
        echo "FAIL: find_package accepted an unknown component" >&2
        exit 1
    fi
    cmake --no-warn-unused-cli -S "$probe" -B "$probe/b2" -DCMAKE_PREFIX_PATH="$prefix" -DPROBE_COMPONENTS=memory \
        -DCMAKE_DISABLE_FIND_PACKAGE_Qt6=ON >/dev/null
    if cmake -S "$probe" -B "$probe/b3" -DCMAKE_PREFIX_PATH="$prefix" -DPROBE_COMPONENTS=sqlite \
        -DPROBE_VERSION=99 >/dev/null 2>&1; then
        echo "FAIL: find_package accepted a version it is not" >&2
        exit 1
    fi
done
echo "package checks passed"
