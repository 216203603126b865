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
# every case of tests/cases.txt exactly (under qemu-user or wine when foreign;
# the npm package's command under Node.js; the page in headless Chromium, its
# cases that are files, against the checked x86_64 binary too), or nothing
# more is packed and the release fails. SOURCE_DATE_EPOCH is the last
# commit's time, and no build path reaches a binary: two releases of one
# commit, made in two folders, are the same bytes.
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

me=release
. cmake/lib.sh
mapfile -t packages < <(missing "${release_needs[@]}" "${web_needs[@]}" "${wine_needs[@]}" node:nodejs)
[ ${#packages[@]} -eq 0 ] ||
    fail "missing: ${packages[*]} (on Debian: dpkg --add-architecture arm64 && dpkg --add-architecture armhf && apt-get update, then apt-get install them; wine and the web ones --no-install-recommends)"

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

# The cases' golden inputs are packed by the build machine's own bitpack.
c++ -O2 -o "$work/bitpack" "$src/tests/bitpack.cpp"

# check NAME TOOL [EMULATOR...]: the shipped binary (or the npm package's
# command) against every case of the source release's tests/cases.txt, each
# failure named; then, but for the npm command, its linkage: a static binary
# needs no library, a Windows one only Windows', the .deb's only the C library.
check() {
    local name=$1 tool=$2 emulator="${*:3}" cases=$work/check-$1.log linkage=$work/linkage-$1.log
    local inspector=(-DINSPECTOR=readelf -DSTATIC=ON)
    [[ $tool != *.exe ]] || inspector=(-DINSPECTOR=x86_64-w64-mingw32-objdump)
    [ "$name" != deb ] || inspector=(-DINSPECTOR=readelf)
    if ! cmake -DTOOL="$tool" "-DEMULATOR=$emulator" -DWORK="$work/check-$name" \
        -DBITPACK="$work/bitpack" -DNATIVE_BITPACK=ON -P "$src/tests/cases.cmake" >"$cases" 2>&1; then
        cat "$cases" >&2
        fail "the $name binary failed the cases above: nothing more is packed"
    fi
    if [ "$name" != npm ] &&
        ! cmake -DTOOL="$tool" "${inspector[@]}" -P "$src/tests/linkage.cmake" >"$linkage" 2>&1; then
        cat "$linkage" >&2
        fail "the $name binary links what it should not: nothing more is packed"
    fi
    echo "release: $name: $(grep -E '^[0-9]+ of [0-9]+ cases passed' "$cases")"
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

# Windows: a wine of this release's own.
trap 'wineserver -k 2>/dev/null || true' EXIT
start_wine "$work/wine"
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
# The browser runner skips, and passes, where it cannot run: here it must.
# It reads the list as JSON, which cases.cmake writes.
cmake -DJSON="$work/cases.json" -P "$src/tests/cases.cmake"
if ! /usr/bin/python3 "$src/tests/browser_test.py" cases no-network --page "$work/web/adifinfo-$version.html" \
    --tool "$work/x86_64-linux/stage/bin/adifinfo" --bitpack "$work/bitpack" --cases "$work/cases.json" \
    --work "$work/check-page" \
    >"$log" 2>&1 || ! grep -q "^cases: passed" "$log" || ! grep -q "^no-network: passed" "$log"; then
    cat "$log" >&2
    fail "the page was not checked"
fi
echo "release: page: $(grep -E 'cases as the native tool' "$log")"
cp "$work/web/adifinfo-$version.html" "$work/web/adifinfo-$version.tgz" "$out/"

cp "$tarball" "$out/"
(cd "$out" && sha256sum -- * >SHA256SUMS && sha256sum --quiet -c SHA256SUMS)
mv "$out" "$build/release"
echo "release: $build/release"
(cd "$build/release" && ls -l -- *)
