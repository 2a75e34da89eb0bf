#!/usr/bin/env bash
# Builds the x64 and x86 executables and packs dist/quillon-VERSION-{x64,x86}.zip
# (executable, README, LICENSE, SHA256SUMS). The version is the project's own,
# as CMakeLists.txt defines it.
set -euo pipefail
cd "$(dirname "$0")/.."
version=$(sed -n 's/^project(Quillon VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
[ -n "$version" ] || { echo "No version found in CMakeLists.txt" >&2; exit 1; }
mkdir -p dist
for arch in x64 x86; do
    toolchain=cmake/mingw-w64-x86_64.cmake
    [ "$arch" = x86 ] && toolchain=cmake/mingw-w64-i686.cmake
    cmake -S . -B "build/package-$arch" -G Ninja --toolchain "$toolchain" \
        -DCMAKE_BUILD_TYPE=MinSizeRel -DQUILLON_TESTS=OFF >/dev/null
    cmake --build "build/package-$arch" --target quillon -j "$(nproc)"
    tests/check-executable.sh "build/package-$arch/win32/quillon.exe" "$arch"
    stage=$(mktemp -d)
    cp "build/package-$arch/win32/quillon.exe" README.md LICENSE "$stage/"
    (cd "$stage" && sha256sum quillon.exe README.md LICENSE > SHA256SUMS)
    zip_path="$PWD/dist/quillon-$version-$arch.zip"
    rm -f "$zip_path"
    (cd "$stage" && zip -q -X "$zip_path" quillon.exe README.md LICENSE SHA256SUMS)
    rm -rf "$stage"
    echo "$zip_path"
done
