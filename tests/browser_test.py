#!/usr/bin/python3
# SPDX-License-Identifier: MIT
"""The page in headless Chromium, driven through its own inputs, against the
cases of cases.txt and the native tool: the rows given, in one session.

  browser_test.py ROW... --page PAGE --tool ADIFINFO --bitpack BITPACK --work DIR
                  [--chromium PATH] [--chromedriver PATH]

For each file the page reports, the report's bytes and status must be the
native tool's, and the case's where it is one, with the case's word and
summary; what the page shows, the native tool's output on a terminal; and no
more than the start of the file may have been read. The rows:

  cases        every case that is a file, all at once, in a shuffled order;
               the batch's line, and the table filtered by each word (a case
               that names no file, or a terminal, is not for a page: each is
               listed)
  names        names as written: UTF-8, a direction override, control
               characters, markup, a byte that is not UTF-8; as text
  folder       a folder, through the folder input: every file in it, in order
  download     Download, by Space and by Enter, saves the report's bytes, under
               a long name cut to fit; Copy gives the report as shown
  csv          Download table: a CSV row for each file, as the results have it
  faults       files that went away or changed after they were chosen; a run
               that fails, and a good batch after it
  phone        at 390 px nothing is wider than the screen
  no-network   the page asked for nothing beyond itself all session, and its
               policy forbids it (run it last)
  bench        not a test: 500 and 10,000 files, timed from choosing them to
               the last report, against the native tool run once a file on
               them; the longest task, the memory and the document's size

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
            name, source, report, status, how, word, summary = (field.strip() for field in line.split("|"))
            case = {"name": name, "status": int(status), "how": "", "as": None, "bytes": None,
                    "word": word, "summary": summary,
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


def open_files(driver, paths, timeout=120, folder=None, fetch=True):
    """Gives the page paths through its file input (or, with folder, the
    folder through its folder input: paths are then the files in it), waits
    for their reports, and returns (seconds taken, the page's results)."""
    from selenium.webdriver.common.by import By
    before = reported(driver)
    begun = time.monotonic()
    if folder:
        driver.find_element(By.ID, "folder").send_keys(os.path.abspath(folder))
    else:
        driver.find_element(By.ID, "files").send_keys("\n".join(os.path.abspath(p) for p in paths))
    want = before + len(paths)
    while reported(driver) < want:
        if time.monotonic() - begun > timeout:
            fail(f"the page reported {reported(driver) - before} of {len(paths)} files in {timeout} s")
        time.sleep(0.01)
    taken = time.monotonic() - begun
    # The batch's line and the table come once the last file is in.
    while not driver.find_element(By.ID, "progress").text.startswith("Reported"):
        if time.monotonic() - begun > timeout:
            fail(f"the page did not end its batch in {timeout} s")
        time.sleep(0.01)
    return taken, results(driver, before) if fetch else None


def reported(driver):
    return int(driver.execute_script("return Number(document.body.dataset.reported || 0)"))


def results(driver, start=0):
    return driver.execute_script("""
        const text = (bytes) => { let t = ''; for (const b of bytes) t += String.fromCharCode(b); return t; };
        return window.adifinfo.results.slice(arguments[0]).map((r) => ({
            path: r.path, name: r.name, status: r.status, word: r.word, read: r.read, delivered: r.delivered,
            reason: r.reason,
            programs: r.programs, bitrate: r.bitrate, variableRate: r.variableRate,
            output: r.output === null ? null : Array.from(r.output),
            shown: r.shown !== null ? r.shown : r.output === null ? null : text(r.output)}));""", start)


def summary_line(result):
    """A result's programs as cases.txt writes them."""
    programs = []
    for p in result["programs"]:
        hertz = str(p["hertz"]) if p["hertz"] is not None else f"index-{p['samplingRateIndex']}"
        programs.append(f"{p['profile']} {hertz} {p['front']}+{p['side']}+{p['back']}+{p['lfe']} "
                        f"{p['layout'] or '-'}")
    return "; ".join(programs)


def check(args, paths, found, cases=None, names=None):
    """Each result against the native tool on its file, and against its case
    where given (its report, status, word and summary); returns how many
    files failed, each one named. names: the names the page must show."""
    failures = 0
    for i, (path, result) in enumerate(zip(paths, found)):
        problems = []
        status, output = native(args.tool, path)
        _, shown = native(args.tool, path, terminal=True)
        if cases:
            case = cases[i]
            with open(case["report"], "rb") as report:
                if output != report.read() or status != case["status"]:
                    problems.append("the native tool does not report the case as it expects")
            if result["word"] != case["word"]:
                problems.append(f"word {result['word']!r}, the case's {case['word']!r}")
            if summary_line(result) != case["summary"]:
                problems.append(f"summary {summary_line(result)!r}, the case's {case['summary']!r}")
        if result["status"] != status:
            problems.append(f"status {result['status']}, the native tool's {status}")
        if result["output"] is None or bytes(result["output"]) != output:
            problems.append(f"report differs from the native tool's:\n{output!r}\n{result['output']!r}")
        if result["shown"] != shown.decode("ascii"):
            problems.append(f"shown report differs from the native tool's on a terminal:\n"
                            f"{shown!r}\n{result['shown']!r}")
        # The page gives the tool the first 64 KiB at most; the browser hands
        # over no more than its first chunk of a large file (2 MiB seen).
        if result["read"] > SPAN or result["delivered"] > 4 << 20:
            problems.append(f"read {result['read']} bytes of the file, {result['delivered']} handed over")
        if names and result["name"] != names[i]:
            problems.append(f"name shown as {result['name']!r}, not {names[i]!r}")
        if problems:
            failures += 1
            label = cases[i]["name"] if cases else os.path.basename(path)
            print(f"{label}: " + "; ".join(problems))
    return failures


def table(driver):
    """The rows the table shows: (name, word) each."""
    return driver.execute_script("""
        return Array.from(document.querySelectorAll('#rows tr'), (row) =>
            [row.cells[0].textContent, row.cells[1].textContent, row.cells[0].querySelectorAll('*').length]);""")


def choose_filter(driver, word):
    from selenium.webdriver.support.ui import Select
    from selenium.webdriver.common.by import By
    Select(driver.find_element(By.ID, "filter")).select_by_value(word)


def row_cases(args, driver):
    """The whole list in one batch, in an order shuffled by a seed that is
    printed (ADIFINFO_SEED replays it): no state passes from file to file.
    Then the batch's line, the table and its filter by each word."""
    from selenium.webdriver.common.by import By
    for case in read_cases():
        if not case["input"]:
            print(f"not for a page, which is given files, not names: {case['name']}")
    made = list(file_cases(args))
    seed = int(os.environ.get("ADIFINFO_SEED", random.randrange(1 << 30)))
    print(f"ADIFINFO_SEED={seed}")
    random.Random(seed).shuffle(made)
    paths = [path for _, path in made]
    chosen = [case for case, _ in made]
    _, found = open_files(driver, paths)
    failures = check(args, paths, found, cases=chosen, names=[case["as"] or os.path.basename(path)
                                                               for case, path in made])
    print(f"{len(made) - failures} of {len(made)} cases as the native tool and the list report them")
    counts = {}
    for case in chosen:
        counts[case["word"]] = counts.get(case["word"], 0) + 1
    words = driver.execute_script("return window.adifinfo.words")
    line = f"Reported {len(made)} files: " + ", ".join(f"{counts[w]} {w}" for w in words if w in counts) + "."
    if driver.find_element(By.ID, "progress").text != line:
        print(f"the batch's line is {driver.find_element(By.ID, 'progress').text!r}, not {line!r}")
        failures += 1
    every = results(driver)
    for word in ["all"] + words:
        choose_filter(driver, word)
        want = sorted((r["name"], r["word"]) for r in every if word in ("all", r["word"]))
        rows = table(driver)
        if sorted((name, shown) for name, shown, _ in rows) != want:
            print(f"the table shows {rows} for {word}, not {want}")
            failures += 1
    choose_filter(driver, "all")
    return failures


# Names as written: UTF-8 as its characters; what could mislead escaped.
NAMES = [
    ("a\\b.adif", "a\\b.adif"),
    ("日本語のファイル名.adif", "日本語のファイル名.adif"),
    ("Café.adif", "Café.adif"),
    ("\u202egnp.adif", "\\u202egnp.adif"),
    ("ctl\x1b[31m\x07.adif", "ctl\\x1b[31m\\x07.adif"),
    ("tab\there.adif", "tab\\x09here.adif"),
    ("<img src=x onerror=alert(1)>.adif", "<img src=x onerror=alert(1)>.adif"),
    ("=1+2.adif", "=1+2.adif"),
]


def row_names(args, driver):
    from selenium.webdriver.common.by import By
    folder = os.path.join(args.work, "names")
    shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(folder)
    example = next(case for case in read_cases() if case["name"].startswith("example."))
    paths = []
    for name, _ in NAMES:
        paths.append(os.path.join(folder, name))
        shutil.copyfile(example["input"], paths[-1])
    _, found = open_files(driver, paths)
    want = [shown for _, shown in NAMES]
    failures = check(args, paths, found, names=want)
    # Bytes that are not UTF-8 reach the page in no name (Chromium leaves such
    # a file out of a folder, and a name is a string by then), but do in a
    # comment, and in the npm package's names: the same rule, on bytes.
    for given, shown in [(b"bad\xff.adif", "bad\\xff.adif"), (b"caf\xc3\xa9", "café"),
                         (b"\xc0\xaf \xed\xa0\x80 \xf4\x90\x80\x80", "\\xc0\\xaf \\xed\\xa0\\x80 \\xf4\\x90\\x80\\x80"),
                         (b"\xe2\x80\xae \xc2\x9b \xf0\x9f\x8e\xb5", "\\u202e \\u009b \U0001f3b5"),
                         (b"cut \xe6\x97", "cut \\xe6\\x97")]:
        got = driver.execute_script("return textAsWritten(new Uint8Array(arguments[0]))", list(given))
        if got != shown:
            print(f"{given!r} as written is {got!r}, not {shown!r}")
            failures += 1
    # In the table, and in the report, as text: never as markup.
    rows = {name: children for name, _, children in table(driver)}
    for name in want:
        if rows.get(name) != 1:
            print(f"the table shows {name!r} as {rows.get(name)} elements, not one button")
            failures += 1
    for button in driver.find_elements(By.CSS_SELECTOR, "#rows button.name"):
        if button.text == want[3]:
            button.click()
            shown = driver.find_element(By.ID, "report-name").get_attribute("textContent")
            if shown != want[3]:
                print(f"the report shows its name as {shown!r}")
                failures += 1
    return failures


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
    _, found = open_files(driver, paths, folder=chosen)
    failures = check(args, paths, found)
    shown = [r["path"] for r in found]
    if shown != ["Ωμέγα/" + name for name in names]:
        print(f"the folder's files came as {shown}")
        failures += 1
    return failures


def click_name(driver, name):
    from selenium.webdriver.common.by import By
    for button in driver.find_elements(By.CSS_SELECTOR, "#rows button.name"):
        if button.text == name:
            button.click()
            return
    fail(f"no row named {name!r} in the table")


def saved(args, name, timeout=20):
    """The bytes of a download, once it is done: Chromium makes the file at
    once, empty, and fills it from a .crdownload file of its own."""
    path = os.path.join(args.downloads, name)
    begun = time.monotonic()
    while ((not os.path.exists(path) or os.path.exists(path + ".crdownload"))
           and time.monotonic() - begun < timeout):
        time.sleep(0.02)
    if not os.path.exists(path):
        return None
    with open(path, "rb") as file:
        return file.read()


def row_download(args, driver):
    """Download saves the report's bytes, by Space and by Enter, under a
    name cut to fit; Copy gives the report as shown, no control byte in it."""
    from selenium.webdriver.common.by import By
    from selenium.webdriver.common.keys import Keys
    cases = {case["name"]: path for case, path in file_cases(args)}
    folder = os.path.join(args.work, "download")
    shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(folder)
    long_name = "é" * 120 + ".adif"  # 245 bytes
    paths = [cases["golden.comment-line-breaks"], cases["golden.comment-255"], os.path.join(folder, long_name)]
    shutil.copyfile(cases["example.surround-5.1"], paths[2])
    _, found = open_files(driver, paths)
    failures = check(args, paths, found)
    for path, key in zip(paths, [Keys.SPACE, Keys.ENTER, Keys.SPACE]):
        name = os.path.basename(path)
        click_name(driver, name)
        driver.find_element(By.ID, "download").send_keys(key)
        want = (name if len(name.encode()) < 180 else "é" * 95) + ".adifinfo"
        got = saved(args, want)
        if got != native(args.tool, path)[1]:
            print(f"{name}: Download by {'Space' if key == Keys.SPACE else 'Enter'} saved "
                  f"{'nothing' if got is None else 'other bytes'} as {want!r} "
                  f"(the folder holds {os.listdir(args.downloads)})")
            failures += 1
        driver.find_element(By.ID, "copy").click()
        copied = driver.execute_async_script("""
            const done = arguments[arguments.length - 1];
            setTimeout(() => navigator.clipboard.readText().then(done, (e) => done(null)), 50);""")
        shown = native(args.tool, path, terminal=True)[1].decode("ascii")
        if copied != shown or any(ord(c) < 0x20 and c != "\n" or ord(c) == 0x7f for c in copied or "\0"):
            print(f"{name}: Copy put {copied!r} on the clipboard, not the report as shown")
            failures += 1
    return failures


def row_csv(args, driver):
    """Download table: RFC 4180, UTF-8, a row for each file the table has."""
    import csv
    import io
    from selenium.webdriver.common.by import By
    found = results(driver)
    driver.find_element(By.ID, "download-table").click()
    data = saved(args, "adifinfo.csv")
    if data is None:
        print("Download table saved nothing")
        return 1
    failures = 0
    if not data.startswith(b"\xef\xbb\xbf") or b"\r\n" not in data or data.replace(b"\r\n", b"").count(b"\n"):
        print("the table is not UTF-8 with CRLF line ends")
        failures += 1
    rows = list(csv.DictReader(io.StringIO(data.decode("utf-8-sig"), newline="")))
    if len(rows) != len(found):
        print(f"the table has {len(rows)} rows for {len(found)} files")
        return failures + 1
    guard = lambda text: "'" + text if text[:1] in ("=", "+", "-", "@", "\t", "\r") else text
    for row, result in zip(rows, found):
        programs = result["programs"]
        want = {
            "Name": guard(result["name"]), "Status": result["word"],
            "Programs": str(len(programs)) if programs else "",
            "Channels": "; ".join(str(p["channels"]) for p in programs),
            "Sampling rate (Hz)": "; ".join(str(p["hertz"]) if p["hertz"] is not None
                                            else f"reserved index {p['samplingRateIndex']}" for p in programs),
            "Front": "; ".join(str(p["front"]) for p in programs),
            "Layout": "; ".join(p["layout"] or "" for p in programs),
            "Comment": guard("; ".join(p["comment"] for p in programs)),
            "Bitrate (kb/s)": "" if result["bitrate"] is None else
                              f"{result['bitrate'] // 1000}.{result['bitrate'] % 1000:03d}".rstrip("0").rstrip("."),
        }
        wrong = {key: row[key] for key in want if row[key] != want[key]}
        if wrong:
            print(f"{result['name']}: the table says {wrong}, not {({k: want[k] for k in wrong})}")
            failures += 1
    return failures


def row_faults(args, driver):
    """A file that went away or changed after it was chosen is unreadable, with
    the reason; a run that fails stops neither the files after it nor the
    next batch."""
    cases = {case["name"]: path for case, path in file_cases(args)}
    example = cases["example.surround-5.1"]
    folder = os.path.join(args.work, "faults")
    shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(folder)
    busy = []
    for i in range(300):
        busy.append(os.path.join(folder, f"busy-{i:03d}.adif"))
        shutil.copyfile(example, busy[-1])
    names = ["good.adif", "gone.adif", "changed.adif", "after.adif"]
    paths = [os.path.join(folder, name) for name in names]
    for path in paths:
        shutil.copyfile(example, path)
    # At the end of a long batch, its last files go and change before the page
    # gets to them.
    from selenium.webdriver.common.by import By
    before = reported(driver)
    driver.find_element(By.ID, "files").send_keys("\n".join(busy + paths))
    os.remove(paths[1])
    with open(paths[2], "ab") as file:
        file.write(b"more")
    begun = time.monotonic()
    while reported(driver) < before + len(busy) + len(paths):
        if time.monotonic() - begun > 60:
            fail(f"the page reported {reported(driver) - before} of {len(busy) + len(paths)} files in 60 s")
        time.sleep(0.02)
    found = results(driver, before + len(busy))
    failures = 0
    for name, result, reason in zip(names, found, [None, "went away", "changed", None]):
        if (result["word"] == "unreadable") != bool(reason) or reason and reason not in (result["reason"] or ""):
            print(f"{name}: {result['word']}, {result['reason']!r}, where "
                  f"{'unreadable: ' + reason if reason else 'complete'} was due")
            failures += 1
    # A run that fails (here: no instance of the module), and then a good batch.
    refusing = driver.execute_cdp_cmd("Page.addScriptToEvaluateOnNewDocument", {"source": """
        const Instance = WebAssembly.Instance;
        window.refuse = true;
        WebAssembly.Instance = function (...words) {
            if (window.refuse)
                throw new Error('refused for the test');
            return new Instance(...words);
        };"""})
    driver.get("file://" + os.path.abspath(args.page))
    driver.execute_cdp_cmd("Page.removeScriptToEvaluateOnNewDocument", refusing)
    _, first = open_files(driver, [example, cases["corpus.mono-lc-8k-cbr"]])
    driver.execute_script("window.refuse = false")
    _, second = open_files(driver, [example, cases["corpus.mono-lc-8k-cbr"]])
    if [r["word"] for r in first] != ["unreadable"] * 2 or "refused for the test" not in (first[0]["reason"] or ""):
        print(f"a run that failed gave {[(r['word'], r['reason']) for r in first]}")
        failures += 1
    failures += check(args, [example, cases["corpus.mono-lc-8k-cbr"]], second)
    # The next rows start from a page of their own.
    driver.get("file://" + os.path.abspath(args.page))
    return failures


def row_phone(args, driver):
    """At 390 px, nothing is wider than the screen: the table, the report of a
    255-byte comment, the table of report lines."""
    from selenium.webdriver.common.by import By
    size = driver.get_window_size()
    driver.set_window_size(390, 844)
    try:
        cases = {case["name"]: path for case, path in file_cases(args)}
        path = cases["golden.comment-255"]
        open_files(driver, [path])
        click_name(driver, os.path.basename(path))
        wide = driver.execute_script("""
            const width = document.documentElement.clientWidth;
            return Array.from(document.querySelectorAll('body *'))
                .filter((e) => e.getBoundingClientRect().right > width + 1 && e.getClientRects().length)
                .map((e) => e.tagName + '#' + e.id + '.' + e.className).slice(0, 5)
                .concat(document.documentElement.scrollWidth > width ? ['the page'] : []);""")
        if wide:
            print(f"wider than the screen at 390 px: {wide}")
            return 1
        return 0
    finally:
        driver.set_window_size(size["width"], size["height"])


def row_bench(args, driver):
    """Not a test: for 500 and 10,000 files, the time from choosing them to
    the last report against the native tool run once a file over the same
    files, the longest task on the page's main thread, the page's memory
    before, after and after Clear, and the nodes of its document."""
    from selenium.webdriver.common.by import By
    folder = os.path.join(args.work, "bench")
    shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(folder)
    sources = [path for case, path in file_cases(args) if case["how"] != "sparse"]
    paths = []
    for i in range(10000):
        source = sources[i % len(sources)]
        paths.append(os.path.join(folder, f"{i:05d}-{os.path.basename(source)}"))
        shutil.copyfile(source, paths[-1])

    def heap():
        driver.execute_cdp_cmd("HeapProfiler.collectGarbage", {})
        metrics = driver.execute_cdp_cmd("Performance.getMetrics", {})["metrics"]
        return next(m["value"] for m in metrics if m["name"] == "JSHeapUsedSize") / 1e6

    driver.execute_cdp_cmd("Performance.enable", {})
    for count in (500, 10000):
        driver.get("file://" + os.path.abspath(args.page))
        # From the moment the page has the list (its change event) to its
        # last report; the longest task that began after that moment.
        driver.execute_script("""
            const count = arguments[0];
            window.bench = {taken: null, done: null, longest: 0};
            document.getElementById('files').addEventListener('change', () => {
                window.bench.taken = performance.now();
            }, true);
            new MutationObserver(() => {
                if (Number(document.body.dataset.reported) === count && window.bench.done === null)
                    window.bench.done = performance.now();
            }).observe(document.body, {attributes: true});
            new PerformanceObserver((list) => list.getEntries().forEach((task) => {
                if (window.bench.taken !== null && task.startTime >= window.bench.taken)
                    window.bench.longest = Math.max(window.bench.longest, task.duration);
            })).observe({type: 'longtask'});""", count)
        before = heap()
        taken, _ = open_files(driver, paths[:count], timeout=600, fetch=False)
        bench = driver.execute_script("return window.bench")
        own = (bench["done"] - bench["taken"]) / 1000
        longest = bench["longest"]
        after = heap()
        nodes = driver.execute_script("return document.getElementsByTagName('*').length")
        driver.find_element(By.ID, "clear").click()
        cleared = heap()
        begun = time.monotonic()
        for path in paths[:count]:
            native_run(args.tool, path, False, None)
        native_many = time.monotonic() - begun
        print(f"page          {count} files: {taken:.2f} s from choosing them, {own:.2f} s from the page "
              f"having the list; native tool, one process a file, {native_many:.2f} s: ratios "
              f"{taken / native_many:.2f} and {own / native_many:.2f}; longest task {longest:.0f} ms; "
              f"heap {before:.1f} MB, {after:.1f} MB after, {cleared:.1f} MB after Clear; {nodes} elements")
    return 0


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
    "csv": row_csv,
    "faults": row_faults,
    "phone": row_phone,
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
