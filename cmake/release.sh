#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# make release: every download of one version, made from the last commit, in
# BUILD/release/:
#
#   adifinfo-VERSION-x86_64-linux.tar.gz    static binaries against musl, each in
#   adifinfo-VERSION-aarch64-linux.tar.gz   a folder of that name with its manual
#   adifinfo-VERSION-armv7-linux.tar.gz     page, LICENSE, README.md and CHANGELOG.md
#   adifinfo-VERSION-x86_64-windows.zip     adifinfo.exe (mingw-w64), the manual page as text
#   adifinfo_VERSION_amd64.deb              dynamic, with Debian's hardening flags
#   adifinfo-VERSION.html                   the page: the tool built with emscripten,
#                                           for any browser, from disk
#   adifinfo-VERSION.tgz                    the npm package of the same build
#   adifinfo-VERSION.tar.gz                 the source release (make dist)
#   SHA256SUMS                              for sha256sum -c
#
# Everything is built from the source release itself, unpacked, so that only
# what was committed goes in. Each binary, as it will be shipped, must report
# the golden cases, the shipped example and the suite's encoder files exactly
# (under qemu-user or wine when foreign; the npm package's command under
# Node.js, the page in headless Chromium, each against the checked x86_64
# binary), or nothing more is packed and the release fails. SOURCE_DATE_EPOCH is the last commit's time,
# and no build path reaches a binary: two releases of one commit, made in two
# folders, are the same bytes.
#
#   cmake/release.sh BUILD "Name <address>"    (on Debian, x86_64)
#
# The second word is the Debian package's Maintainer.
set -eEuo pipefail
cd "$(dirname "$0")/.."

fail() {
    echo "release: $*" >&2
    exit 1
}
[ $# -eq 2 ] || fail "usage: cmake/release.sh BUILD \"Name <address>\""
build=$1
maintainer=$2
[ "$(dpkg --print-architecture 2>/dev/null)" = amd64 ] || fail "a release is made on Debian for amd64 (x86_64)"
[ -n "$maintainer" ] ||
    fail "the Debian package needs a Maintainer: make release ADIFINFO_MAINTAINER=\"Your Name <you@example.org>\""

# What the builds and checks need, with the Debian package that has it.
missing=()
for row in cmake:cmake git:git make:make zip:zip groff:groff-base readelf:binutils \
    x86_64-linux-gnu-g++:g++ aarch64-linux-gnu-g++:g++-aarch64-linux-gnu \
    arm-linux-gnueabihf-g++:g++-arm-linux-gnueabihf \
    x86_64-w64-mingw32-g++-posix:g++-mingw-w64-x86-64-posix wine:wine \
    qemu-aarch64:qemu-user qemu-arm:qemu-user dpkg-buildflags:dpkg-dev lintian:lintian \
    /usr/lib/x86_64-linux-musl/libc.a:musl-dev \
    /usr/lib/aarch64-linux-musl/libc.a:musl-dev:arm64 \
    /usr/lib/arm-linux-musleabihf/libc.a:musl-dev:armhf \
    emcmake:emscripten node:nodejs npm:npm chromium:chromium chromedriver:chromium-driver \
    /usr/lib/python3/dist-packages/selenium:python3-selenium; do
    what=${row%%:*}
    if [[ $what == /* ]]; then [ -e "$what" ]; else command -v "$what" >/dev/null; fi ||
        missing+=("${row#*:}")
done
[ ${#missing[@]} -eq 0 ] ||
    fail "missing: $(printf '%s\n' "${missing[@]}" | sort -u | tr '\n' ' ')(on Debian: dpkg --add-architecture arm64 && dpkg --add-architecture armhf && apt-get update, then apt-get install them)"

SOURCE_DATE_EPOCH=$(git log -1 --format=%ct)
export SOURCE_DATE_EPOCH
# One locale, zone and file mode for every run, whoever makes it. UTF-8 also
# carries the file names of the checks through wine whole.
export LC_ALL=C.UTF-8 TZ=UTC0
umask 022
[ -z "$(git status --porcelain --untracked-files=no)" ] ||
    echo "release: note: uncommitted changes are not in it; it is made from $(git rev-parse --short HEAD)"

mkdir -p "$build"
build=$(cd "$build" && pwd)
# Everything is made in the work folder, and becomes BUILD/release only once
# all of it is made and checked.
work=$build/release-work
out=$work/release
rm -rf "$build/release" "$work"
mkdir -p "$out"
log=$work/log
trap 'echo "release: FAILED: $BASH_COMMAND" >&2' ERR

# Runs a command with its output in the log, shown if it fails.
quietly() {
    if ! "$@" </dev/null >"$log" 2>&1; then
        cat "$log" >&2
        fail "this failed: $*"
    fi
}

# make dist names the tarball it made, and so the version.
tarball=$(make -s dist "BUILD=$work" </dev/null)
version=$(basename "$tarball" .tar.gz)
version=${version#adifinfo-}
echo "release: adifinfo $version from $(git rev-parse --short HEAD), SOURCE_DATE_EPOCH=$SOURCE_DATE_EPOCH"
tar -xzf "$tarball" -C "$work"
src=$work/adifinfo-$version
# No build path may reach a binary: every path under the work folder is
# written relative to it. Without this the .deb would differ from folder to
# folder: its build has -g, and the debug information, though stripped,
# has decided its build-id.
prefix_map="-ffile-prefix-map=$work/="

# The checks' inputs: the golden cases, packed once by the build machine.
c++ -O2 -o "$work/bitpack" "$src/tests/bitpack.cpp"
# Each input with its expected report: the shipped examples, and the
# encoder files of the source release.
inputs=()
for input in "$src"/examples/*.adif; do
    inputs+=("$input" "$src/tests/examples/$(basename "$input" .adif).expected")
done
example=("${inputs[@]:0:2}")
for input in "$src"/tests/corpus/*.aac; do
    [ -e "$input" ] || fail "no encoder files in the source release's tests/corpus"
    inputs+=("$input" "${input%.aac}.expected")
done

# check NAME TOOL [EMULATOR...]: the shipped binary against every case, and
# its linkage (a static binary needs no library; a Windows one only Windows').
# Every failure is named; the first one's output is shown.
check() {
    local name=$1 tool=$2 emulator="${*:3}" label i golden=$src/tests/golden.cmake
    local args=(-DTOOL="$tool" "-DEMULATOR=$emulator" -DWORK="$work/check-$name")
    failed=()
    count=0
    for bits in "$src"/tests/golden/*.bits; do
        label=$(basename "$bits" .bits)
        try "golden.$label" "$golden" -DNAME="$label" -DBITS="$bits" -DBITPACK="$work/bitpack" \
            -DNATIVE_BITPACK=ON -DEXPECTED="$src/tests/golden/$label.expected"
    done
    for ((i = 0; i < ${#inputs[@]}; i += 2)); do
        label=$(basename "${inputs[i]%.*}")
        try "$label" "$golden" -DNAME="$label" -DINPUT="${inputs[i]}" -DEXPECTED="${inputs[i + 1]}"
    done
    # A file name outside ASCII, which Windows takes through the manifest.
    try "a Japanese file name" "$golden" -DNAME=name -DINPUT="${example[0]}" "-DAS=日本語 ファイル.adif" \
        -DEXPECTED="${example[1]}"
    local inspector=(-DINSPECTOR=readelf -DSTATIC=ON)
    [[ $tool != *.exe ]] || inspector=(-DINSPECTOR=x86_64-w64-mingw32-objdump)
    [ "$name" != deb ] || inspector=(-DINSPECTOR=readelf)
    args=(-DTOOL="$tool")
    [ "$name" = npm ] || try linkage "$src/tests/linkage.cmake" "${inspector[@]}"
    if [ ${#failed[@]} -ne 0 ]; then
        cat "$work/check-$name.failed" >&2
        fail "the $name binary failed ${#failed[@]} of $count checks (${failed[*]}): nothing more is packed"
    fi
    echo "release: $name: $count checks passed"
}
# try LABEL SCRIPT ARGUMENTS...: one check of check(), the cmake script run
# with check()'s arguments and these.
try() {
    local label=$1 script=$2
    shift 2
    count=$((count + 1))
    if ! cmake "${args[@]}" "$@" -P "$script" >"$log" 2>&1; then
        [ ${#failed[@]} -ne 0 ] || { echo "$label:" && cat "$log"; } >"$work/check-$name.failed"
        failed+=("$label")
    fi
}

# build NAME [CMAKE ARGUMENTS...]: the tool alone, installed stripped into NAME/stage.
build() {
    local name=$1
    shift
    quietly cmake -S "$src" -B "$work/$name" -DADIFINFO_BUILD_TESTS=OFF "$@"
    quietly cmake --build "$work/$name" -j 2
    quietly cmake --install "$work/$name" --strip --prefix "$work/$name/stage"
}

# Linux tarballs and the Windows zip: one folder of the package's name, its
# files in name order, owned by root, stamped with SOURCE_DATE_EPOCH.
# stage_folder NAME STAGE: the folder, with the documents and the sample
# files that the install put in STAGE.
stage_folder() {
    local folder=$work/pack/$1
    mkdir -p "$folder"
    cp "$src/LICENSE" "$src/README.md" "$src/CHANGELOG.md" "$2"/share/doc/adifinfo/examples/* "$folder"
    echo "$folder"
}
stamp() {
    chmod -R u=rwX,go=rX "$1"
    find "$1" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +
}

# The Debian package first: it is the one that can still stop on its Maintainer.
export CFLAGS CXXFLAGS LDFLAGS
hardening() { (cd "$src" && DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get "$1"); }
CFLAGS="$(hardening CFLAGS) $(hardening CPPFLAGS) $prefix_map"
CXXFLAGS="$(hardening CXXFLAGS) $(hardening CPPFLAGS) $prefix_map"
LDFLAGS=$(hardening LDFLAGS)
build deb "-DADIFINFO_MAINTAINER=$maintainer"
quietly cpack -G DEB --config "$work/deb/CPackConfig.cmake" -B "$work/deb-package"
deb=adifinfo_${version}_amd64.deb
dpkg-deb -x "$work/deb-package/$deb" "$work/deb-unpacked"
check deb "$work/deb-unpacked/usr/bin/adifinfo"
# No error or warning, and none of the hardening tags, which are only notes.
if ! lintian --display-info --fail-on error,warning "$work/deb-package/$deb" >"$log" 2>&1 ||
    grep -q hardening-no- "$log"; then
    cat "$log" >&2
    fail "lintian finds fault with $deb"
fi
cp "$work/deb-package/$deb" "$out/"

CFLAGS=$prefix_map
CXXFLAGS=$prefix_map
LDFLAGS=
for row in x86_64: aarch64:qemu-aarch64 armv7:qemu-arm; do
    arch=${row%%:*}
    build "$arch-linux" -DCMAKE_TOOLCHAIN_FILE="$src/cmake/$arch-linux-musl.cmake" -DADIFINFO_STATIC=ON
    check "$arch-linux" "$work/$arch-linux/stage/bin/adifinfo" ${row#*:}
    name=adifinfo-$version-$arch-linux
    folder=$(stage_folder "$name" "$work/$arch-linux/stage")
    cp "$work/$arch-linux/stage/bin/adifinfo" "$work/$arch-linux/stage/share/man/man1/adifinfo.1" "$folder"
    stamp "$folder"
    tar --sort=name --format=gnu --owner=0 --group=0 --numeric-owner -C "$work/pack" -cf - "$name" |
        gzip -9n >"$out/$name.tar.gz"
done

# Windows: a wine of this release's own, started before anything runs under
# it (a service that a check started would otherwise hold that check's output
# open until wine ended).
export WINEPREFIX=$work/wine WINEDEBUG=-all
mkdir -p "$WINEPREFIX"
quietly wineserver -p
trap 'wineserver -k 2>/dev/null || true' EXIT
quietly env WINEDLLOVERRIDES="mscoree,mshtml=" wine wineboot --init
build x86_64-windows -DCMAKE_TOOLCHAIN_FILE="$src/cmake/mingw-w64.cmake"
check x86_64-windows "$work/x86_64-windows/stage/bin/adifinfo.exe" wine
name=adifinfo-$version-x86_64-windows
folder=$(stage_folder "$name" "$work/x86_64-windows/stage")
cp "$work/x86_64-windows/stage/bin/adifinfo.exe" "$folder"
# The manual page as plain text, for a system without man.
groff -man -Tascii -P -cbou "$src/man/adifinfo.1" >"$folder/adifinfo.txt"
stamp "$folder"
(cd "$work/pack" && find "$name" -type f | sort | zip -X -9 -q "$out/$name.zip" -@)

# The page and the npm package: one emscripten build, whose own tools need
# Debian's acorn (in /usr/share/nodejs, where a Node.js not Debian's own
# finds it only through NODE_PATH). The package is checked as installed from
# its tarball; the page in Chromium, against the checked x86_64 binary.
export NODE_PATH=/usr/share/nodejs${NODE_PATH:+:$NODE_PATH}
quietly emcmake cmake -S "$src" -B "$work/web" -DADIFINFO_BUILD_TESTS=OFF
quietly cmake --build "$work/web"
quietly cmake -DNPM=npm -DTARBALL="$work/web/adifinfo-$version.tgz" -DPREFIX="$work/npm" \
    -P "$src/tests/npm-install.cmake"
check npm "$work/npm/bin/adifinfo"
for row in reports no-network; do
    quietly /usr/bin/python3 "$src/tests/browser_test.py" "$row" --page "$work/web/adifinfo-$version.html" \
        --tool "$work/x86_64-linux/stage/bin/adifinfo" --bitpack "$work/bitpack" \
        --golden "$src/tests/golden" --inputs "$src"/examples/*.adif "$src"/tests/corpus/*.aac \
        --work "$work/check-page"
    grep -q "^$row: passed" "$log" || { cat "$log" >&2 && fail "the page was not checked: $row"; }
    echo "release: page: $row: passed"
done
cp "$work/web/adifinfo-$version.html" "$work/web/adifinfo-$version.tgz" "$out/"

cp "$tarball" "$out/"
(cd "$out" && sha256sum -- * >SHA256SUMS && sha256sum --quiet -c SHA256SUMS)
mv "$out" "$build/release"
echo "release: $build/release"
(cd "$build/release" && ls -l -- *)
