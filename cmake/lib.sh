# SPDX-License-Identifier: MIT
# Sourced by .ci/run and cmake/release.sh (bash): what their builds and
# checks need, with the Debian package that has each; quietly; wine's start.
# The sourcing script sets `me`, the name its messages start with.

# Each row: what must be there (a command, or an absolute path), ":", then
# the Debian package that has it.
# What make release builds and checks with (CI makes a release too).
release_needs=(
    cmake:cmake git:git make:make zip:zip groff:groff-base readelf:binutils dd:coreutils
    x86_64-linux-gnu-g++:g++ aarch64-linux-gnu-g++:g++-aarch64-linux-gnu
    arm-linux-gnueabihf-g++:g++-arm-linux-gnueabihf
    x86_64-w64-mingw32-g++-posix:g++-mingw-w64-x86-64-posix
    qemu-aarch64:qemu-user qemu-arm:qemu-user dpkg-buildflags:dpkg-dev lintian:lintian
    /usr/lib/x86_64-linux-musl/libc.a:musl-dev
    /usr/lib/aarch64-linux-musl/libc.a:musl-dev:arm64
    /usr/lib/arm-linux-musleabihf/libc.a:musl-dev:armhf
)
# What CI's other builds need besides: the second compiler, the tests' own
# needs, the cross builds of other CPUs, BSD make.
ci_needs=(
    g++:g++ clang++:clang bmake:bmake valgrind:valgrind /usr/include/gtest/gtest.h:libgtest-dev
    i686-linux-gnu-g++:g++-i686-linux-gnu s390x-linux-gnu-g++:g++-s390x-linux-gnu
    qemu-i386:qemu-user qemu-s390x:qemu-user
)
# The page and the npm package, and their tests: installed without their
# recommends, since Chromium's alone would add a desktop's worth. emscripten
# brings Node.js and acorn; esbuild bundles the scripts; TypeScript checks the
# package's types. (npm only where no npm is there: a Node.js that is not
# Debian's own brings its own npm, and refuses Debian's.)
web_needs=(
    emcmake:emscripten npm:npm esbuild:esbuild tsc:node-typescript chromium:chromium
    chromedriver:chromium-driver /usr/lib/python3/dist-packages/selenium:python3-selenium
)
# Wine, installed on its own (.ci/run says why).
wine_needs=(wine:wine wine:wine64)

# missing ROW...: the packages of the rows whose command or file is not
# here, each once, one a line.
missing() {
    local row what
    for row in "$@"; do
        what=${row%%:*}
        if [[ $what == /* ]]; then [ -e "$what" ]; else command -v "$what" >/dev/null; fi ||
            echo "${row#*:}"
    done | sort -u
}

# quietly COMMAND...: runs it with its output kept aside, and shows that
# output, and the command, if it fails.
quietly() {
    local log status=0
    log=$(mktemp)
    "$@" </dev/null >"$log" 2>&1 || status=$?
    if [ $status -ne 0 ]; then
        echo "$me: this failed: $*" >&2
        cat "$log" >&2
    fi
    rm -f "$log"
    return $status
}

# start_wine PREFIX: a wine prefix of its own, made from nothing, with one
# wine server and wine's own services started before anything runs under it:
# a service that a check started would otherwise inherit the check's output
# and keep it open until the server ended. The server needs the folder to
# exist, and must come before wineboot; Mono and Gecko are not needed, nor
# installed. The caller stops it (wineserver -k) when done.
start_wine() {
    export WINEPREFIX=$1 WINEDEBUG=-all
    mkdir -p "$WINEPREFIX"
    quietly wineserver -p
    quietly env WINEDLLOVERRIDES="mscoree,mshtml=" wine wineboot --init
}
