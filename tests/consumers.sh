#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The npm package as JavaScript's own tools take it, each installed from the
# npm registry at the version pinned here, in one project made anew in WORK:
#
#   checkers    attw on the tarball, publint --strict on its folder: no
#               problem, no warning, no suggestion
#   bundles     a browser app that inspects the example, bundled with no
#               configuration by Rollup (its node-resolve plugin, no more),
#               webpack, esbuild and Vite: no node: import, no require(), the
#               module's base64 once; each run in headless Chromium, where it
#               must say complete, and refuse a path
#   Jest        its jsdom environment require()s the CommonJS browser build:
#               the example as bytes and as a jsdom Blob, a path refused
#   TypeScript  strict, "bundler" (the browser's types take no path) and
#               "node16" (Node.js's take one), from .ts, .mts and .cts
#
#   tests/consumers.sh TARBALL WORK
#
# Prints a line a check, ok or FAILED with why (its log is in WORK/logs);
# exits 1 if any failed.
set -uo pipefail

[ $# -eq 2 ] || { echo "usage: tests/consumers.sh TARBALL WORK" >&2; exit 2; }
[ -f "$1" ] || { echo "consumers.sh: no tarball $1" >&2; exit 2; }
tarball=$(realpath "$1")
work=$(realpath -m "$2")
here=$(dirname "$(realpath "$0")")
example=$here/../examples/surround-5.1.adif
esbuild=$(command -v esbuild) || { echo "consumers.sh: no esbuild (Debian: esbuild)" >&2; exit 2; }
export ADIFINFO_EXAMPLE=$example npm_config_update_notifier=false

rm -rf "$work"
mkdir -p "$work/logs" "$work/app" "$work/jest" "$work/types"
cd "$work" || exit 2
bin=$work/node_modules/.bin

failures=0
# check NAME COMMAND...: runs the command, its output kept in logs/NAME.log;
# a failure is told by the log's last line.
check() {
    local name=$1 log
    log=logs/$(tr -c 'a-zA-Z0-9.\n' - <<<"$name").log
    shift
    if "$@" >"$log" 2>&1; then
        echo "ok      $name"
    else
        echo "FAILED  $name: $(grep -v '^\s*$' "$log" | tail -n 1 | cut -c1-240) ($work/$log)"
        failures=$((failures + 1))
        return 1
    fi
}

# The versions are exact, so that every run takes the same tools.
cat >package.json <<EOF
{"name": "adifinfo-consumers", "private": true, "dependencies": {
  "@arethetypeswrong/cli": "0.18.5", "publint": "0.3.25", "typescript": "5.9.3",
  "rollup": "4.70.0", "@rollup/plugin-node-resolve": "16.0.3", "webpack": "5.113.0", "webpack-cli": "7.3.1",
  "vite": "8.4.2", "jest": "30.5.2", "jest-environment-jsdom": "30.5.2", "adifinfo": "file:$tarball"}}
EOF
check "npm install of the tools and the tarball" npm install --no-audit --no-fund --loglevel=error ||
    { echo "consumers.sh: nothing to check without them"; exit 1; }

# The checkers: any problem, warning or suggestion fails, and the first is
# told. They colour what they say on CI.
tar -xzf "$tarball"
plain() { sed 's/\x1b\[[0-9;]*m//g'; }
checker() {
    "$@" 2>&1 | plain | tee logs/said
    [ "${PIPESTATUS[0]}" -eq 0 ] && grep -q "$expect" logs/said && return
    grep -E -m 1 "$problem" logs/said || echo "it did not say: $expect"
    return 1
}
expect="No problems found" problem="https://" check "attw on the tarball" \
    checker "$bin/attw" --format table-flipped "$tarball"
expect="^All good!$" problem="^[0-9]+\. " check "publint --strict on the package" \
    checker "$bin/publint" --strict package

# The browser app: the example's bytes, written in, as an app has them from a
# file input.
node -e 'console.log(`export const EXAMPLE = new Uint8Array([${[...require("fs").readFileSync(process.argv[1])]}]);`)' \
    "$example" >app/example.js
cat >app/main.js <<'EOF'
// Inspects the example; says what came of it in the body's data-result.
import {inspect, words} from 'adifinfo';
import {EXAMPLE} from './example.js';

const say = (what) => document.body.setAttribute('data-result', JSON.stringify(what));
inspect(EXAMPLE).then(async (result) => {
    const path = await inspect('surround-5.1.adif').then(() => 'taken', (error) => error.name);
    say({status: result.status, word: result.word, about: result.inWords.about, words: words.length, path});
}, (error) => say({error: String(error)}));
EOF
page() {
    printf '<!doctype html>\n<html><head><meta charset="utf-8"><link rel="icon" href="data:,"><title>app</title></head>\n'
    printf '<body><script %s></script></body></html>\n' "$1"
}
page 'type="module" src="./main.js"' >app/index.html
b64=$(sed -n "s/^export const ADIFINFO_WASM = '\(.*\)';$/\1/p" package/lib/wasm.js)

# bundled FOLDER TOOL...: the tool, run in app, bundles into app/dist/FOLDER
# and says nothing but what it made; the bundle is for a browser, and holds
# the module once.
bundled() {
    local out=dist/$1 js copies
    shift
    (cd app && "$@") 2>&1 | plain | tee logs/said
    [ "${PIPESTATUS[0]}" -eq 0 ] || { echo "it failed: $(grep -E -m 1 "Can't resolve|ERROR|rror:" logs/said)"; return 1; }
    ! grep -Eiq "$noise" logs/said || { echo "it warned: $(grep -Ei "$noise" logs/said | head -n 1)"; return 1; }
    [ -f "app/$out/index.html" ] || page 'src="main.js"' >"app/$out/index.html"
    js=$(cat app/"$out"/*.js app/"$out"/assets/*.js 2>/dev/null)
    [ -n "$js" ] || { echo "no bundle in app/$out"; return 1; }
    ! grep -Eq "[\"'\`]node:" <<<"$js" || { echo "the bundle holds a node: import"; return 1; }
    ! grep -Eq '(^|[^[:alnum:]_$])require\(' <<<"$js" || { echo "the bundle holds require("; return 1; }
    [ ${#b64} -gt 1000 ] || { echo "no base64 in the package's lib/wasm.js"; return 1; }
    copies=$(grep -o -F -- "$b64" <<<"$js" | wc -l)
    [ "$copies" -eq 1 ] || { echo "the bundle holds the module $copies times"; return 1; }
}
ok_bundles=()
noise='\(!\)|warn' check "Rollup bundle" bundled rollup \
    "$bin/rollup" main.js -p @rollup/plugin-node-resolve -f iife -o dist/rollup/main.js && ok_bundles+=(rollup)
noise='warn' check "webpack bundle" bundled webpack \
    "$bin/webpack" ./main.js --mode production -o dist/webpack && ok_bundles+=(webpack)
noise='.' check "esbuild bundle" bundled esbuild \
    "$esbuild" main.js --bundle --platform=browser --outfile=dist/esbuild/main.js --log-level=warning &&
    ok_bundles+=(esbuild)
noise='.' check "Vite bundle" bundled vite "$bin/vite" build --outDir dist/vite --logLevel warn && ok_bundles+=(vite)

# Each bundle in headless Chromium, from a server of its own on 127.0.0.1.
cat >chromium.py <<'EOF'
import functools, http.server, json, shutil, sys, tempfile, threading, time
from selenium import webdriver
from selenium.webdriver.chrome.service import Service

options = webdriver.ChromeOptions()
options.binary_location = shutil.which("chromium")
for flag in ("--headless=new", "--no-sandbox", "--disable-gpu", "--disable-dev-shm-usage",
             "--disable-background-networking", "--disable-component-update", "--disable-sync",
             "--no-first-run", f"--user-data-dir={tempfile.mkdtemp(dir=sys.argv[1])}"):
    options.add_argument(flag)
driver = webdriver.Chrome(service=Service(shutil.which("chromedriver")), options=options)
want = {"status": 0, "word": "complete", "about": "ADIF: MPEG-2 AAC audio with one header at its start.",
        "words": 4, "path": "TypeError"}
try:
    for name in sys.argv[2:]:
        handler = functools.partial(http.server.SimpleHTTPRequestHandler, directory=f"app/dist/{name}")
        handler.log_message = lambda *args: None
        server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), handler)
        threading.Thread(target=server.serve_forever, daemon=True).start()
        driver.get(f"http://127.0.0.1:{server.server_port}/")
        said = None
        for _ in range(100):
            said = driver.execute_script("return document.body && document.body.getAttribute('data-result')")
            if said:
                break
            time.sleep(0.1)
        server.shutdown()
        got = json.loads(said) if said else "nothing, in 10 s"
        print(f"ok      {name} bundle in Chromium" if got == want else
              f"FAILED  {name} bundle in Chromium: it said {got}", flush=True)
finally:
    driver.quit()
EOF
if [ ${#ok_bundles[@]} -gt 0 ]; then
    /usr/bin/python3 chromium.py "$work/logs" "${ok_bundles[@]}" 2>logs/chromium.log | tee logs/said
    failures=$((failures + ${#ok_bundles[@]} - $(grep -c '^ok' logs/said)))
    [ "$(grep -c -E '^(ok|FAILED) ' logs/said)" -eq ${#ok_bundles[@]} ] ||
        echo "FAILED  Chromium: $(grep -v '^\s*$' logs/chromium.log | tail -n 1) ($work/logs/chromium.log)"
fi

cat >jest/inspect.test.cjs <<'EOF'
// Jest's jsdom environment takes the package's CommonJS browser build.
const fs = require('fs');
const {inspect, words} = require('adifinfo');

const example = fs.readFileSync(process.env.ADIFINFO_EXAMPLE);

test('require() is given the browser build', () => {
    expect(require.resolve('adifinfo')).toMatch(/[\\/]lib[\\/]browser\.cjs$/);
    expect(words.map((w) => w.word)).toContain('complete');
});

test('the example as bytes', async () => {
    const result = await inspect(new Uint8Array(example));
    expect([result.status, result.word]).toEqual([0, 'complete']);
});

test('the example as a jsdom Blob', async () => {
    expect(Blob).toBe(window.Blob);
    const result = await inspect(new Blob([example]));
    expect([result.status, result.word]).toEqual([0, 'complete']);
});

test('a path is refused', async () => {
    await expect(inspect(process.env.ADIFINFO_EXAMPLE)).rejects.toThrow(TypeError);
});
EOF
# Jest's own summary is its last line: what failed, and why, is said after.
jested() {
    "$bin/jest" --ci --rootDir jest --testEnvironment jsdom 2>&1 | plain | tee logs/said
    [ "${PIPESTATUS[0]}" -eq 0 ] && return
    grep -A2 '●' logs/said | awk '/●/ { name = $0; sub(/^ *● */, "", name); getline; getline; print name ": " $0 }' |
        sed 's/  */ /g' | paste -sd ';'
    return 1
}
check "Jest with jsdom" jested

cat >types/browser.ts <<'EOF'
import adifinfo, {inspect, words} from 'adifinfo';
import type {Result, Word} from 'adifinfo';

const result: Promise<Result> = inspect(new Uint8Array([0x41]));
const about: Promise<string | null> = adifinfo.inspect(new Blob([]), {size: 1}).then((r) => r.inWords.about);
const word: Word = words[0].word;
// @ts-expect-error a browser opens no paths
void inspect('surround-5.1.adif');
// @ts-expect-error nor a URL
void inspect(new URL('file:///surround-5.1.adif'));
void [result, about, word];
EOF
cat >types/node.mts <<'EOF'
import adifinfo, {inspect} from 'adifinfo';
import type {Result} from 'adifinfo';

const result: Promise<Result> = inspect('surround-5.1.adif');
void adifinfo.inspect({path: new Uint8Array([0x78])});
// @ts-expect-error a number is no file
void inspect(1);
void result;
EOF
cat >types/node.cts <<'EOF'
import adifinfo = require('adifinfo');

const result: Promise<adifinfo.Result> = adifinfo.inspect('surround-5.1.adif');
void adifinfo.default.inspect(new Uint8Array([0x41]));
// @ts-expect-error a number is no file
void adifinfo.inspect(1);
void result;
EOF
options='"strict": true, "noEmit": true, "target": "es2020", "types": []'
cat >types/tsconfig.bundler.json <<EOF
{"compilerOptions": {$options, "module": "esnext", "moduleResolution": "bundler", "lib": ["es2020", "dom"]},
 "files": ["browser.ts"]}
EOF
cat >types/tsconfig.node16.json <<EOF
{"compilerOptions": {$options, "module": "node16", "moduleResolution": "node16", "lib": ["es2020"]},
 "files": ["node.mts", "node.cts"]}
EOF
check "TypeScript, bundler" "$bin/tsc" -p types/tsconfig.bundler.json
check "TypeScript, node16" "$bin/tsc" -p types/tsconfig.node16.json

[ "$failures" -eq 0 ] || { echo "consumers.sh: $failures failed"; exit 1; }
echo "consumers.sh: all passed"
