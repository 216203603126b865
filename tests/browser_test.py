#!/usr/bin/python3
# SPDX-License-Identifier: MIT
"""The page in headless Chromium, driven through its own inputs, against the
cases of cases.txt and the native tool: the rows given, in one session.

  browser_test.py ROW... --page PAGE --tool ADIFINFO --bitpack BITPACK --work DIR
                  [--chromium PATH] [--chromedriver PATH]

For each file the page reports, the report's bytes and status must be the
case's, and the native tool's; what the page shows, the native tool's output
on a terminal; its status in words, the page's words for that status; and no
more than the start of the file may have been read. The rows:

  cases        every case that is a file, all at once (a case that names no
               file, or a terminal, is not for a page: each is listed)
  names        a name that is a path on Windows, shown as a terminal shows it
  folder       a folder, through the folder input: every file in it, in order
  download     the Download link's file is the report's bytes; Copy, offered only
               for a report that is text, puts that text on the clipboard
  no-network   the page asked for nothing beyond itself all session, and its
               policy forbids it (run it last)
  bench        not a test: 500 files at once, timed from choosing them to the
               last report, against the native tool run once a file on them

Prints "SKIPPED: reason" and exits 0 where Chromium, its driver or selenium is
missing. Runs with Debian's own python3 (its python3-selenium).
"""
import argparse
import json
import os
import random
import shutil
import subprocess
import sys
import time
import tty

HERE = os.path.dirname(os.path.abspath(__file__))
# The bytes the page may read of a file, at most.
SPAN = 65536


def fail(message):
    print(f"FAILED: {message}")
    sys.exit(1)


def read_cases():
    """cases.txt, as tests/cases.cmake reads it: a dict a case, in order."""
    cases = []
    with open(os.path.join(HERE, "cases.txt"), encoding="utf-8") as listing:
        for line in listing:
            if line.startswith("#") or not line.strip():
                continue
            name, source, report, status, how = (field.strip() for field in line.split("|"))
            case = {"name": name, "status": int(status), "how": "", "as": None, "bytes": None,
                    "input": os.path.join(HERE, source) if source else None,
                    "report": os.path.join(HERE, report) if report else None}
            if how.startswith("as "):
                case["how"], case["as"] = "as", how[3:]
            elif how.startswith("sparse "):
                case["how"], case["bytes"] = "sparse", int(how[7:])
            elif how:
                case["how"] = how.split(" ")[0]
            cases.append(case)
    return cases


def prepare(args, case):
    """The file the case gives the tool, made in the work folder: packed,
    copied under its name, or grown by a hole."""
    folder = os.path.join(args.work, "cases", case["name"])
    shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(folder)
    path = case["input"]
    if path.endswith(".bits"):
        packed = os.path.join(folder, case["name"] + ".adif")
        subprocess.run([args.bitpack, path, packed], check=True)
        path = packed
    if case["how"] in ("as", "sparse"):
        copy = os.path.join(folder, case["as"] or case["name"] + ".adif")
        shutil.copyfile(path, copy)
        if case["bytes"]:
            os.truncate(copy, case["bytes"])
        path = copy
    return path


def file_cases(args):
    """Every case that is a file, with its file made once a session: (case, path)."""
    if args.made is None:
        args.made = [(case, prepare(args, case)) for case in read_cases() if case["input"]]
    return args.made


NATIVE_SEEN = {}


def native(tool, path, terminal=False, cwd=None):
    """The native tool's (status, standard output) for path, its output on a
    pipe, or on a pseudo-terminal in raw mode (no "\\r" added). The report
    of a file that opens is its bytes': a small file's is run for only once."""
    key = None
    if cwd is None and os.path.isfile(path) and os.path.getsize(path) <= SPAN:
        with open(path, "rb") as file:
            key = (tool, file.read(), terminal)
        if key in NATIVE_SEEN:
            return NATIVE_SEEN[key]
    result = native_run(tool, path, terminal, cwd)
    if key is not None:
        NATIVE_SEEN[key] = result
    return result


def native_run(tool, path, terminal, cwd):
    if not terminal:
        done = subprocess.run([tool, path], stdout=subprocess.PIPE, cwd=cwd, check=False)
        return done.returncode, done.stdout
    master, slave = os.openpty()
    tty.setraw(slave)
    done = subprocess.run([tool, path], stdout=slave, cwd=cwd, check=False)
    os.close(slave)
    shown = b""
    while True:
        try:
            chunk = os.read(master, 65536)
        except OSError:
            break
        if not chunk:
            break
        shown += chunk
    os.close(master)
    return done.returncode, shown


def shown_name(tool, name, work):
    """How the native tool shows a name on a terminal: in "cant open", run
    where nothing has that name."""
    empty = os.path.join(work, "nothing-here")
    os.makedirs(empty, exist_ok=True)
    status, shown = native(tool, name, terminal=True, cwd=empty)
    prefix = b"cant open "
    if status != 2 or not shown.startswith(prefix) or not shown.endswith(b"\n"):
        fail(f"the native tool did not answer 'cant open' for {name!r}: {shown!r}")
    return shown[len(prefix):-1].decode("ascii")


def start_browser(args):
    try:
        from selenium import webdriver
        from selenium.webdriver.chrome.service import Service
    except ImportError:
        print("SKIPPED: no selenium for /usr/bin/python3 (Debian: python3-selenium)")
        sys.exit(0)
    for program in (args.chromium, args.chromedriver):
        if not program or not os.access(program, os.X_OK):
            print("SKIPPED: no Chromium and ChromeDriver (Debian: chromium, chromium-driver)")
            sys.exit(0)
    options = webdriver.ChromeOptions()
    options.binary_location = args.chromium
    # Headless, with nothing of the browser's own reaching for the network.
    for flag in ("--headless=new", "--no-sandbox", "--disable-gpu", "--disable-dev-shm-usage",
                 "--disable-background-networking", "--disable-component-update",
                 "--disable-sync", "--disable-default-apps", "--no-first-run",
                 "--disable-extensions", "--window-size=1200,900",
                 f"--user-data-dir={os.path.join(args.work, 'profile')}"):
        options.add_argument(flag)
    options.set_capability("goog:loggingPrefs", {"performance": "ALL", "browser": "ALL"})
    shutil.rmtree(os.path.join(args.work, "profile"), ignore_errors=True)
    driver = webdriver.Chrome(service=Service(args.chromedriver), options=options)
    driver.set_script_timeout(120)
    driver.execute_cdp_cmd("Browser.setDownloadBehavior",
                           {"behavior": "allow", "downloadPath": args.downloads})
    # Only so that the test can read back what Copy wrote.
    driver.execute_cdp_cmd("Browser.grantPermissions",
                           {"permissions": ["clipboardReadWrite", "clipboardSanitizedWrite"]})
    driver.get_log("performance")  # what the browser asked for before the page: not the page's
    driver.get("file://" + os.path.abspath(args.page))
    return driver


def open_files(driver, paths, timeout=120, folder=None):
    """Gives the page paths through its file input (or, with folder, the
    folder through its folder input: paths are then the files in it), waits
    for their reports, and returns (seconds taken, the page's results)."""
    from selenium.webdriver.common.by import By
    before = int(driver.execute_script("return Number(document.body.dataset.reported || 0)"))
    begun = time.monotonic()
    if folder:
        driver.find_element(By.ID, "folder").send_keys(os.path.abspath(folder))
    else:
        driver.find_element(By.ID, "files").send_keys("\n".join(os.path.abspath(p) for p in paths))
    want = before + len(paths)
    while int(driver.execute_script("return Number(document.body.dataset.reported || 0)")) < want:
        if time.monotonic() - begun > timeout:
            fail(f"the page reported {before} of {want} files in {timeout} s")
        time.sleep(0.02)
    taken = time.monotonic() - begun
    results = driver.execute_script("""
        const items = document.querySelectorAll('#reports > li');
        return window.adifinfo.results.slice(arguments[0]).map((r, i) => {
            const item = items[arguments[0] + i];
            return {path: r.path, status: r.status, read: r.read, shown: r.shown,
                    output: r.output === null ? null : Array.from(r.output),
                    heading: item.querySelector('h3').textContent,
                    words: item.querySelector('.status').textContent,
                    word: window.adifinfo.statusWords[r.status]};
        });""", before)
    return taken, results


def check(args, paths, results, names=None, cases=None):
    """Each result against the native tool on its file (and its case, where
    given); returns how many files failed, each one named. names: the names
    the page must show, as a terminal shows them."""
    failures = 0
    for i, (path, result) in enumerate(zip(paths, results)):
        problems = []
        status, output = native(args.tool, path)
        _, shown = native(args.tool, path, terminal=True)
        if cases:
            with open(cases[i]["report"], "rb") as report:
                if output != report.read() or status != cases[i]["status"]:
                    problems.append("the native tool does not report the case as it expects")
        if result["status"] != status:
            problems.append(f"status {result['status']}, the native tool's {status}")
        if result["output"] is None or bytes(result["output"]) != output:
            problems.append(f"report differs from the native tool's:\n{output!r}\n{result['output']!r}")
        if result["shown"] != shown.decode("ascii"):
            problems.append(f"shown report differs from the native tool's on a terminal:\n"
                            f"{shown!r}\n{result['shown']!r}")
        if not result["words"].startswith(result["word"]):
            problems.append(f"status words {result['words']!r} for status {status}")
        if result["read"] > SPAN:
            problems.append(f"read {result['read']} bytes of the file")
        if names and names[i] is not None:
            want = shown_name(args.tool, names[i], args.work)
            if result["heading"] != want:
                problems.append(f"name shown as {result['heading']!r}, a terminal's {want!r}")
        if problems:
            failures += 1
            label = cases[i]["name"] if cases else os.path.basename(path)
            print(f"{label}: " + "; ".join(problems))
    return failures


def row_cases(args, driver):
    cases = read_cases()
    for case in cases:
        if not case["input"]:
            print(f"not for a page, which is given files, not names: {case['name']}")
    made = file_cases(args)
    paths = [path for _, path in made]
    _, results = open_files(driver, paths)
    chosen = [case for case, _ in made]
    failures = check(args, paths, results, names=[case["as"] for case in chosen], cases=chosen)
    print(f"{len(made) - failures} of {len(made)} cases as the native tool and the list report them")
    return failures


def row_names(args, driver):
    folder = os.path.join(args.work, "names")
    shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(folder)
    names = ["a\\b.adif"]
    paths = [os.path.join(folder, name) for name in names]
    example = next(case for case in read_cases() if case["name"].startswith("example."))
    for path in paths:
        shutil.copyfile(example["input"], path)
    _, results = open_files(driver, paths)
    return check(args, paths, results, names=names)


def row_folder(args, driver):
    """A folder with a folder inside: every file, under its path in the folder,
    in name order."""
    top = os.path.join(args.work, "folder")
    shutil.rmtree(top, ignore_errors=True)
    chosen = os.path.join(top, "Ωμέγα")
    os.makedirs(os.path.join(chosen, "inner"))
    names = ["b.adif", "inner/a.aac", "inner/c.adif", "z.adif"]
    sources = [path for _, path in file_cases(args)]
    paths = []
    for i, name in enumerate(names):
        path = os.path.join(chosen, name)
        shutil.copyfile(sources[i * 3 % len(sources)], path)
        paths.append(path)
    _, results = open_files(driver, paths, folder=chosen)
    failures = check(args, paths, results)
    shown = [r["path"] for r in results]
    if shown != ["Ωμέγα/" + name for name in names]:
        print(f"the folder's files came as {shown}")
        failures += 1
    return failures


def row_bench(args, driver):
    folder = os.path.join(args.work, "bench")
    shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(folder)
    sources = [path for case, path in file_cases(args) if case["how"] != "sparse"]
    paths = []
    for i in range(500):
        source = sources[i % len(sources)]
        path = os.path.join(folder, f"{i:03d}-{os.path.basename(source)}")
        shutil.copyfile(source, path)
        paths.append(path)
    one, _ = open_files(driver, paths[:1])
    many, _ = open_files(driver, paths, timeout=300)
    begun = time.monotonic()
    for path in paths:
        native_run(args.tool, path, False, None)
    native_many = time.monotonic() - begun
    print(f"page          1 file {one * 1000:.0f} ms  500 files {many:.2f} s  native tool, "
          f"one process a file, {native_many:.2f} s  ratio {many / native_many:.2f}")
    return 0


def row_download(args, driver):
    from selenium.webdriver.common.by import By
    paths = [path for case, path in file_cases(args) if case["how"] != "sparse"]
    texts = [p for p in paths if valid_utf8(native(args.tool, p)[1])]
    others = [p for p in paths if p not in texts]
    if not texts or not others:
        fail("the cases need a report that is UTF-8 and one that is not")
    chosen = [texts[0], others[0]]
    _, results = open_files(driver, chosen)
    failures = check(args, chosen, results)
    items = driver.find_elements(By.CSS_SELECTOR, "#reports > li")[-len(chosen):]
    for path, item in zip(chosen, items):
        name = os.path.basename(path) + ".adifinfo"
        saved = os.path.join(args.downloads, name)
        item.find_element(By.LINK_TEXT, "Download").click()
        begun = time.monotonic()
        while not os.path.exists(saved) and time.monotonic() - begun < 20:
            time.sleep(0.05)
        if not os.path.exists(saved):
            print(f"{name}: Download saved nothing")
            failures += 1
            continue
        with open(saved, "rb") as file:
            if file.read() != native(args.tool, path)[1]:
                print(f"{name}: the downloaded report differs from the native tool's")
                failures += 1
        copy = item.find_element(By.TAG_NAME, "button")
        if copy.is_enabled() != (path in texts):
            print(f"{name}: Copy is {'on' if copy.is_enabled() else 'off'} for a report "
                  f"{'of' if path in texts else 'not of'} text")
            failures += 1
        elif path in texts:
            copy.click()
            copied = driver.execute_async_script("""
                const done = arguments[arguments.length - 1];
                setTimeout(() => navigator.clipboard.readText().then(done, (e) => done(null)), 200);""")
            if copied is None or copied.encode("utf-8") != native(args.tool, path)[1]:
                print(f"{name}: Copy put {copied!r} on the clipboard, not the report")
                failures += 1
    return failures


def valid_utf8(data):
    try:
        data.decode("utf-8")
        return True
    except UnicodeDecodeError:
        return False


def row_no_network(args, driver):
    failures = 0
    # The policy in force: a request from the page is refused by it, and says so.
    refused = driver.execute_async_script("""
        const done = arguments[arguments.length - 1];
        const seen = [];
        document.addEventListener('securitypolicyviolation', (e) => seen.push(e.effectiveDirective));
        const image = new Image();
        image.src = 'http://127.0.0.1:9/image.png';
        fetch('http://127.0.0.1:9/data').then(() => 'fetched', () => 'refused')
            .then((fetched) => setTimeout(() => done({fetched, seen}), 200));""")
    if refused["fetched"] != "refused" or sorted(refused["seen"]) != ["connect-src", "img-src"]:
        print(f"the page's policy did not refuse a fetch and an image: {refused}")
        failures += 1
    page = "file://" + os.path.abspath(args.page)
    asked = []
    for entry in driver.get_log("performance"):
        message = json.loads(entry["message"])["message"]
        if message["method"] == "Network.requestWillBeSent":
            url = message["params"]["request"]["url"]
            if message["params"].get("documentURL") != page:
                continue  # the browser's own pages (its new tab), not this one's
            if url != page and not url.startswith("http://127.0.0.1:9/") and not url.startswith("blob:"):
                asked.append(url)
    if asked:
        print(f"the page asked for {asked}")
        failures += 1
    return failures


ROWS = {
    "cases": row_cases,
    "names": row_names,
    "folder": row_folder,
    "download": row_download,
    "no-network": row_no_network,
    "bench": row_bench,
}


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("rows", nargs="+", choices=sorted(ROWS))
    for name in ("page", "tool", "bitpack", "work"):
        parser.add_argument(f"--{name}", required=True)
    parser.add_argument("--chromium", default=shutil.which("chromium"))
    parser.add_argument("--chromedriver", default=shutil.which("chromedriver"))
    args = parser.parse_args()
    args.work = os.path.abspath(args.work)
    args.tool = os.path.abspath(args.tool)
    args.bitpack = os.path.abspath(args.bitpack)
    args.made = None
    os.makedirs(args.work, exist_ok=True)
    for path in (args.page, args.tool, args.bitpack):
        if not os.path.exists(path):
            fail(f"no {path}")
    args.downloads = os.path.join(args.work, "downloads")
    shutil.rmtree(args.downloads, ignore_errors=True)
    os.makedirs(args.downloads)
    driver = start_browser(args)
    failed = []
    try:
        errors = [e for e in driver.get_log("browser") if e["level"] == "SEVERE"]
        for row in args.rows:
            if ROWS[row](args, driver):
                failed.append(row)
            else:
                print(f"{row}: passed")
        errors += [e for e in driver.get_log("browser") if e["level"] == "SEVERE"
                   and "127.0.0.1:9" not in e["message"]
                   and "Content Security Policy" not in e["message"]]
    finally:
        driver.quit()
    for error in errors:
        print(f"the page's console: {error['message']}")
    if failed or errors:
        fail(f"rows failed: {' '.join(failed) or 'none'}; {len(errors)} errors on the console")


if __name__ == "__main__":
    main()
