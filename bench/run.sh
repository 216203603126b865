#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Measures the tool against the cheapest program that could print its report,
# in one run, as ratios:
#   instructions  whole-process count under callgrind     target <= 1.2
#   memory        peak resident set from /usr/bin/time   target <= 1.2
#   bytes read    from a 1 GiB file that starts with a real header (strace):
#                 target <= 16 KiB, and the file is never mapped
# and, given a statically linked tool as well:
#   static        its instructions and peak memory against the same dynamic
#                 minimal program: instructions target <= 0.5
#   many files    wall time of `find DIR -type f -exec PROGRAM {} \;` over 500
#                 ADIF files, for the dynamic and the static tool, each against
#                 the minimal program run the same way (best of five runs each)
# and, given the release's static musl tool and the tool built with Debian's
# hardening flags as well:
#   release       the same 500 runs of the musl tool, stripped as it is
#                 released, against an empty static musl program (the cost of
#                 starting a process, the floor: target <= 1.15) and against
#                 the dynamic tool
#   hardening     the hardened tool's instructions against the dynamic tool's
# and, given the npm package's command (installed: make check puts it in
# BUILD/tests/npm-prefix/bin) as well, bench/npm.js:
#   npm           its time a file over 100 of the files, paired with Node.js
#                 starting and doing nothing (node -e 0, the floor: target
#                 <= 1.2) and with the dynamic tool; its library's calls a
#                 second; the tarball's size and the installed package's
# and, given the page (make check builds it in BUILD/web) and bitpack:
#   page          500 and 10,000 files chosen at once in headless Chromium,
#                 timed from choosing them (and from the page having the list)
#                 to the last report, against the native tool run once a file
#                 over the same files; the longest task on the page's main
#                 thread after it had the list, its memory before, after and
#                 after Clear; then, with the 10,000 files in the table, the
#                 main thread's time to sort, page, filter and download it:
#                 target < 100 ms each (tests/browser_test.py)
# Usage: bench/run.sh [tool] [input] [static tool] [musl tool] [hardened tool]
#        [npm command] [page] [bitpack]
# (defaults: build/adifinfo, an encoder file of the suite, none). Needs
# valgrind, strace and /usr/bin/time; musl-gcc and strip for the release row.
set -euo pipefail
cd "$(dirname "$0")/.."
tool=${1:-build/adifinfo}
input=${2:-tests/corpus/surround-7.1-lc-96k-cbr.aac} # the longest element lists of the encoder files
static=${3:-}
musl=${4:-}
hardened=${5:-}
npm=${6:-}
page=${7:-}
bitpack=${8:-}
for need in valgrind strace /usr/bin/time cc; do
    command -v "$need" >/dev/null || { echo "bench: $need is missing" >&2; exit 2; }
done
[ -x "$tool" ] || { echo "bench: no $tool (build first: make build)" >&2; exit 2; }
[ -r "$input" ] || { echo "bench: no $input" >&2; exit 2; }
for given in "$static" "$musl" "$hardened" "$npm"; do
    [ -z "$given" ] || [ -x "$given" ] || { echo "bench: no $given" >&2; exit 2; }
done
[ -z "$musl" ] || command -v musl-gcc >/dev/null || { echo "bench: musl-gcc is missing" >&2; exit 2; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cc -O2 -o "$work/minimal" bench/minimal.c

instructions() { # whole process, dynamic loader included
    valgrind --tool=callgrind --callgrind-out-file=/dev/null "$@" 2>&1 >/dev/null |
        awk '/Collected :/ { print $NF }'
}
peak_kib() { # median of nine runs: the figure moves by a few pages from run to run
    for _ in 1 2 3 4 5 6 7 8 9; do /usr/bin/time -f %M "$@" 2>&1 >/dev/null; done | sort -n | sed -n 5p
}
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f", a / b }'; }
verdict() { awk -v r="$1" -v t="$2" 'BEGIN { print (r <= t) ? "ok" : "OVER TARGET" }'; }

ti=$(instructions "$tool" "$input")
mi=$(instructions "$work/minimal" "$input")
r=$(ratio "$ti" "$mi")
printf 'instructions  adifinfo %10d  minimal %10d  ratio %s (target <= 1.2) %s\n' "$ti" "$mi" "$r" "$(verdict "$r" 1.2)"

tm=$(peak_kib "$tool" "$input")
mm=$(peak_kib "$work/minimal" "$input")
r=$(ratio "$tm" "$mm")
printf 'peak memory   adifinfo %7d KiB  minimal %7d KiB  ratio %s (target <= 1.2) %s\n' "$tm" "$mm" "$r" "$(verdict "$r" 1.2)"

big="$work/big.adif"
cp "$input" "$big"
truncate -s 1G "$big" # sparse: the real header, then zeros
strace -qq -e trace=openat,read,pread64,readv,preadv,mmap,sendfile,copy_file_range -o "$work/trace" "$tool" "$big" >/dev/null || true
read -r bytes maps < <(awk -v path="$big" '
    index($0, "\"" path "\"") && /^openat/ { split($0, r, "= "); fd = r[2] + 0 }
    fd != "" && $0 ~ "^(read|pread64|readv|preadv|sendfile|copy_file_range)\\(" fd "," { split($0, r, "= "); bytes += r[2] }
    fd != "" && $0 ~ "^mmap\\(.*, " fd ", " { maps++ }
    END { print bytes + 0, maps + 0 }' "$work/trace")
printf 'bytes read    %d of a 1 GiB file (target <= 16384) %s; mapped %d times (target 0) %s\n' \
    "$bytes" "$([ "$bytes" -le 16384 ] && echo ok || echo 'OVER TARGET')" "$maps" \
    "$([ "$maps" -eq 0 ] && echo ok || echo 'OVER TARGET')"

[ -n "$static" ] || exit 0

si=$(instructions "$static" "$input")
r=$(ratio "$si" "$mi")
printf 'static        adifinfo %10d  minimal %10d  ratio %s (target <= 0.5) %s\n' "$si" "$mi" "$r" "$(verdict "$r" 0.5)"
sm=$(peak_kib "$static" "$input")
printf 'static memory adifinfo %7d KiB  minimal %7d KiB  ratio %s\n' "$sm" "$mm" "$(ratio "$sm" "$mm")"

# 500 files: the real one and the shipped examples, copied in turn.
files="$work/many"
mkdir "$files"
sources=("$input" examples/*.adif)
for i in $(seq 1 500); do
    cp "${sources[$((i % ${#sources[@]}))]}" "$files/$i.adif"
done
nanoseconds() { # that the command takes, its output dropped
    local start end
    start=$(date +%s%N)
    "$@" >/dev/null
    end=$(date +%s%N)
    echo $(( end - start ))
}
once() { # one pass over the folder
    nanoseconds find "$files" -type f -exec "$1" {} \;
}
# The release binary is the musl tool stripped; its floor, a static musl
# program that does nothing.
if [ -n "$musl" ]; then
    strip -o "$work/release" "$musl"
    echo 'int main(void) { return 0; }' >"$work/empty.c"
    musl-gcc -static -O2 -s -o "$work/empty" "$work/empty.c"
fi
# Best of five; the programs take turns, so that drift hits all alike.
best_m="" best_d="" best_s="" best_r="" best_e=""
least() { awk -v b="$1" -v t="$2" 'BEGIN { print (b == "" || t < b) ? t : b }'; }
for _ in 1 2 3 4 5; do
    best_m=$(least "$best_m" "$(once "$work/minimal")")
    best_d=$(least "$best_d" "$(once "$tool")")
    best_s=$(least "$best_s" "$(once "$static")")
    if [ -n "$musl" ]; then
        best_e=$(least "$best_e" "$(once "$work/empty")")
        best_r=$(least "$best_r" "$(once "$work/release")")
    fi
done
secs() { awk -v t="$1" 'BEGIN { printf "%.3f", t / 1e9 }'; }
printf 'many files    minimal %ss  dynamic %ss ratio %s  static %ss ratio %s  (500 runs each)\n' \
    "$(secs "$best_m")" "$(secs "$best_d")" "$(ratio "$best_d" "$best_m")" \
    "$(secs "$best_s")" "$(ratio "$best_s" "$best_m")"
if [ -n "$musl" ]; then
    r=$(ratio "$best_r" "$best_e")
    printf 'release       musl %ss (%d bytes)  empty musl program %ss  ratio %s (target <= 1.15) %s; against dynamic %s\n' \
        "$(secs "$best_r")" "$(wc -c <"$work/release")" "$(secs "$best_e")" "$r" \
        "$(verdict "$r" 1.15)" "$(ratio "$best_r" "$best_d")"
fi

if [ -n "$hardened" ]; then
    hi=$(instructions "$hardened" "$input")
    printf 'hardening     hardened %10d  dynamic %10d  ratio %s\n' "$hi" "$ti" "$(ratio "$hi" "$ti")"
fi

if [ -n "$page" ]; then
    /usr/bin/python3 tests/browser_test.py bench --page "$page" --tool "$tool" --bitpack "$bitpack" \
        --cases "$(dirname "$bitpack")/tests/cases.json" --work "$work/page" | grep -v ': passed$'
fi

[ -n "$npm" ] || exit 0
tarball=$(ls "$(dirname "$(dirname "$npm")")"/../../web/adifinfo-*.tgz 2>/dev/null | head -1)
node bench/npm.js "$npm" "$tool" "$tarball" $(for i in $(seq 1 100); do echo "$files/$i.adif"; done)
