#!/usr/bin/python3
# SPDX-License-Identifier: MIT
"""The page in headless Chromium, driven through its own inputs, against the
cases of cases.txt and the native tool: the rows given, in one session.

  browser_test.py ROW... --page PAGE --tool ADIFINFO --bitpack BITPACK
                  --cases CASES.json --work DIR [--chromium PATH] [--chromedriver PATH]

For each file the page reports, the report's bytes and status must be the
native tool's, and the case's where it is one, with its summary as the list
says it (CASES.json, as tests/cases.cmake wrote it), and what the page
shows, in its table, its summary and its CSV, the list's words; what the
page shows of the report, the native tool's output on a terminal; and no
more than the start of the file may have been read. The rows:

  cases        every case that is a file, all at once, in a shuffled order:
               each file's summary, its row of the table and what its report
               says in words; the batch's line, and the table filtered by each
               word (a case that names no file, or a terminal, is not for a
               page: each is listed)
  table        (after cases) sorted by the keyboard, both ways, by a number and
               by a name, the focus kept; each program on its own line, empty
               ones kept; "Download table" after a sort and a filter, against
               the list; a second batch's line; the skip link
  names        names as written: UTF-8, a direction override, control
               characters, markup, a byte that is not UTF-8; as text
  folder       a folder, through the folder input: every file in it, in order;
               an empty folder; a folder given as a file
  download     Download, by Space and by Enter, saves the report's bytes, under
               a long name cut to fit; Copy gives the report as shown
  csv          Download table: RFC 4180 and UTF-8, a row for each file
  faults       files that went away or changed after they were chosen; a run
               that fails, and a good batch after it
  phone        at 390 px nothing is wider than the screen
  no-network   the page asked for nothing beyond itself all session, and its
               policy forbids it (run it last)
  bundle       the npm package bundled for the browser by esbuild, as a web
               application would take it: a case of each kind of report, given
               as a File, a Blob, a Uint8Array, a stream and a Response; a path
               refused
  bench        not a test: 500 and 10,000 files, timed from choosing them to
               the last report, against the native tool run once a file on
               them; the longest task, the memory and the document's size;
               then, with 10,000 files in the table, the main thread's time to
               sort, page, filter and download it

Prints "SKIPPED: reason" and exits 0 where Chromium, its driver or selenium is
missing. Runs with Debian's own python3 (its python3-selenium).
"""
import argparse
import json
import math
import os
import random
import shutil
import subprocess
import sys
import time
import tty

HERE = os.path.dirname(os.path.abspath(__file__))
# The bytes the page may give the tool of a file, at most: the bound on the
# largest ADIF header (the code's ADIF_HEADER_MOST, which the round trip
# holds against the largest header written).
SPAN = 4937


def fail(message):
    print(f"FAILED: {message}")
    sys.exit(1)


def read_list(args):
    with open(args.cases, encoding="utf-8") as listing:
        return json.load(listing)


def read_cases(args):
    """The list, as tests/cases.cmake wrote it: a dict a case, in order, with
    how the file is given split out ("as", "bytes")."""
    cases = read_list(args)["cases"]
    for case in cases:
        how = case["how"]
        case["as"], case["bytes"] = None, None
        if how.startswith("as "):
            case["how"], case["as"] = "as", how[3:]
        elif how.startswith("sparse "):
            case["how"], case["bytes"] = "sparse", int(how[7:])
        elif how:
            case["how"] = how.split(" ")[0]
        case["input"] = case["input"] or None
        case["report"] = case["report"] or None
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
        args.made = [(case, prepare(args, case)) for case in read_cases(args) if case["input"]]
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
            reason: r.reason, kind: r.kind, afterTag: r.afterTag, radioLog: r.radioLog, headerRead: r.headerRead,
            programs: r.programs, bitrate: r.bitrate, variableRate: r.variableRate,
            durationSeconds: r.durationSeconds, durationIsMinimum: r.durationIsMinimum, inWords: r.inWords,
            report: r.report === null ? null : Array.from(r.report),
            shown: r.shown !== null ? r.shown : r.report === null ? null : text(r.report)}));""", start)


def listed_bitrate(case):
    """The bitrate in bits a second, from the list's words: None for none."""
    words = case["bitrate"]
    if not words:
        return None
    if words.startswith("not given"):
        return 0
    kilobits = words.replace("at most ", "").split(" ")[0]
    whole, _, part = kilobits.partition(".")
    return int(whole) * 1000 + int((part + "000")[:3])


def summary_problems(result, case):
    """Where the page's result of a case's file differs from what the list
    says of it: every field of the summary but the tags, which the list does
    not hold."""
    kind, _, after = case["kind"].partition(" ")
    complete = case["word"] == "complete"
    variable = case["bitrate"].endswith(" variable")
    want = {"status": case["status"], "word": case["word"], "kind": kind or None,
            "afterTag": after if kind == "id3" else None, "radioLog": after == "log",
            "headerRead": case["headerRead"], "bitrate": listed_bitrate(case) if complete else None,
            "variableRate": variable if complete else None,
            "durationIsMinimum": None if case["seconds"] is None else variable,
            "inWords": {"kind": case["said"]["kind"], "about": case["said"]["about"], "report": case["said"]["report"],
                        "bitrate": case["bitrate"] or None, "duration": case["duration"] or None,
                        "programs": case["said"]["programs"]}}
    problems = [f"{key} {result[key]!r}, the list's {value!r}" for key, value in want.items() if result[key] != value]
    seconds, listed = result["durationSeconds"], case["seconds"]
    if (seconds is None) != (listed is None) or (listed is not None and abs(seconds - listed) > 1e-9 * (1 + listed)):
        problems.append(f"durationSeconds {seconds!r}, the list's {listed!r}")
    if len(result["programs"]) != len(case["programs"]):
        return problems + [f"{len(result['programs'])} programs, the list's {len(case['programs'])}"]
    for i, (got, p) in enumerate(zip(result["programs"], case["programs"])):
        facts = {"profile": p["profile"], "profileName": case["said"]["programs"][i]["profile"], "hertz": p["hertz"],
                 "front": p["front"], "side": p["side"], "back": p["back"], "lfe": p["lfe"],
                 "channels": p["front"] + p["side"] + p["back"] + p["lfe"], "layout": p["layout"],
                 "speakers": None if p["speakers"] is None else p["speakers"].split(" ") if p["speakers"] else [],
                 "comment": p["comment"]}
        if p["samplingRateIndex"] is not None:
            facts["samplingRateIndex"] = p["samplingRateIndex"]
        problems += [f"program {i + 1}: {key} {got[key]!r}, the list's {value!r}" for key, value in facts.items()
                     if got[key] != value]
    return problems


def report_tags(case):
    """The element instance tags of a case's report, in order: what its tag
    lines say."""
    with open(case["report"], "rb") as report:
        return [line.split()[-1].decode() for line in report.read().split(b"\n") if line.startswith(b"tag ")]


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
            problems += summary_problems(result, case)
        if result["status"] != status:
            problems.append(f"status {result['status']}, the native tool's {status}")
        if result["report"] is None or bytes(result["report"]) != output:
            problems.append(f"report differs from the native tool's:\n{output!r}\n{result['report']!r}")
        if result["shown"] != shown.decode("ascii"):
            problems.append(f"shown report differs from the native tool's on a terminal:\n"
                            f"{shown!r}\n{result['shown']!r}")
        # The page gives the tool the largest header at most; the browser hands
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
    """The rows the table shows: (name, word, the elements in the name's cell) each."""
    return driver.execute_script("""
        return Array.from(document.querySelectorAll('#rows tr'), (row) =>
            [row.cells[0].textContent, row.cells[1].textContent, row.cells[0].querySelectorAll('*').length]);""")


def table_cells(driver):
    """Each row the table shows, as its cells: the text of a cell of one line,
    the list of lines of a cell of a line a program."""
    return driver.execute_script("""
        return Array.from(document.querySelectorAll('#rows tr'), (row) => Array.from(row.cells, (cell) => {
            const lines = cell.querySelectorAll('.line');
            return ['Profile', 'Sampling rate', 'Channels', 'Speakers', 'Comment'].includes(cell.dataset.label)
                ? Array.from(lines, (line) => line.textContent) : cell.textContent;
        }));""")


def choose_filter(driver, word):
    from selenium.webdriver.support.ui import Select
    from selenium.webdriver.common.by import By
    Select(driver.find_element(By.ID, "filter")).select_by_value(word)


def sentence(text):
    """A phrase as the page's summary writes it: a capital, a full stop."""
    return text[:1].upper() + text[1:] + ("" if text[-1:] in ".!?" else ".")


def cut(text):
    return text if len(text) <= 60 else text[:59] + "\u2026"


def row_of(case, name):
    """The table's row for a case's file, as the list says it."""
    said = case["said"]["programs"]
    return [name, case["word"], case["said"]["kind"] or "", str(len(said)) if said else "",
            [p["profile"] for p in said], [p["samplingRate"] for p in said], [p["channels"] for p in said],
            [p["speakers"] for p in said], case["bitrate"], case["duration"], [cut(p["comment"]) for p in case["programs"]]]


def summary_words(case, meanings):
    """What the page's summary of a case's file says, term by term, as the
    list says it (the tags from its report)."""
    said = case["said"]
    shown = [("DT", "Status"), ("DD", sentence(meanings[case["word"]]))]
    if said["about"] is not None:
        shown += [("DT", "What it is"), ("DD", said["about"])]
    if said["report"] is not None:
        shown += [("DT", "Report"), ("DD", said["report"])]
    if case["word"] != "complete":
        return shown
    shown += [("DT", "Bitrate"), ("DD", case["bitrate"]), ("DT", "Duration"), ("DD", case["duration"]),
              ("DT", "Programs"), ("DD", str(len(case["programs"])))]
    tags = report_tags(case)
    for i, words in enumerate(said["programs"]):
        if len(said["programs"]) > 1:
            shown.append(("H4", f"Program {i + 1} of {len(said['programs'])}, tag {tags[i]}"))
        shown += [("DT", "Profile"), ("DD", words["profile"]), ("DT", "Sampling rate"), ("DD", words["samplingRate"])]
        if words["note"]:
            shown += [("DT", "Note"), ("DD", words["note"])]
        shown += [("DT", "Channels"), ("DD", words["channels"]), ("DT", "Speakers"), ("DD", words["speakers"]),
                  ("DT", "Comment"), ("DD", words["comment"])]
    return shown


def summaries(driver):
    """Every row's summary, as the page shows it when its name is selected:
    {name: [(tag, text)...]}."""
    return driver.execute_script("""
        const all = {};
        for (const button of document.querySelectorAll('#rows button.name')) {
            button.click();
            all[button.textContent] = Array.from(
                document.querySelectorAll('#report-summary dt, #report-summary dd, #report-summary h4'),
                (item) => [item.tagName, item.textContent]);
        }
        return all;""")


def row_cases(args, driver):
    """The whole list in one batch, in an order shuffled by a seed that is
    printed (ADIFINFO_SEED replays it): no state passes from file to file.
    Each file's row of the table and its summary, in words; then the batch's
    line, and the table filtered by each word."""
    from selenium.webdriver.common.by import By
    for case in read_cases(args):
        if not case["input"]:
            print(f"not for a page, which is given files, not names: {case['name']}")
    made = list(file_cases(args))
    seed = int(os.environ.get("ADIFINFO_SEED", random.randrange(1 << 30)))
    print(f"ADIFINFO_SEED={seed}")
    random.Random(seed).shuffle(made)
    paths = [path for _, path in made]
    chosen = [case for case, _ in made]
    names = [case["as"] or os.path.basename(path) for case, path in made]
    _, found = open_files(driver, paths)
    failures = check(args, paths, found, cases=chosen, names=names)
    print(f"{len(made) - failures} of {len(made)} cases as the native tool and the list report them")
    args.batch = [(case, result, name) for case, result, name in zip(chosen, found, names)]

    # The table, and each file's summary, in words.
    shown = {row[0]: row for row in table_cells(driver)}
    said = summaries(driver)
    words = read_list(args)["words"]
    meanings = {w["word"]: w["meaning"] for w in words}
    if driver.execute_script("return window.adifinfo.words") != [w["word"] for w in words]:
        print(f"the page's words are {driver.execute_script('return window.adifinfo.words')}")
        failures += 1
    legend = driver.execute_script("""
        return Array.from(document.querySelectorAll('#meaning dl dt, #meaning dl dd'), (e) => e.textContent);""")
    want_legend = [text for w in words for text in (w["word"], f"{sentence(w['meaning'])[:-1]} (the command's exit "
                                                                 f"status {' or '.join(map(str, w['statuses']))}).")]
    if legend != want_legend:
        print(f"the page's legend of the words is {legend}, not {want_legend}")
        failures += 1
    for case, result, name in args.batch:
        want = row_of(case, name)
        if shown.get(name) != want:
            print(f"{case['name']}: the table's row is {shown.get(name)}, not {want}")
            failures += 1
        want = [list(item) for item in summary_words(case, meanings)]
        if said.get(name) != want:
            print(f"{case['name']}: the summary says {said.get(name)}, not {want}")
            failures += 1

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


def csv_rows(args, driver):
    """Download table's rows, as dicts by heading; None where it saved nothing."""
    import csv
    import io
    from selenium.webdriver.common.by import By
    done = os.path.join(args.downloads, "adifinfo.csv")
    if os.path.exists(done):
        os.remove(done)
    driver.find_element(By.ID, "download-table").click()
    data = saved(args, "adifinfo.csv")
    if data is None:
        return None, None
    return data, list(csv.DictReader(io.StringIO(data.decode("utf-8-sig"), newline="")))


def guard(text):
    """A CSV cell that a spreadsheet would take for a formula gets a ' in front."""
    return "'" + text if text[:1] in ("=", "+", "-", "@", "\t", "\r") else text


def number(value):
    """A number as JavaScript writes it: the shortest that reads back, and no
    ".0" for a whole one."""
    text = repr(value)
    return text[:-2] if text.endswith(".0") else text


def csv_row_of(case, name):
    """Download table's row for a case's file, as the list has it."""
    listed = case["programs"]
    said = case["said"]["programs"]
    bitrate = listed_bitrate(case) if case["word"] == "complete" else None
    join = lambda values: "; ".join(values)
    seconds = case["seconds"]
    row = {
        "Name": name, "Status": case["word"], "What the file is": case["said"]["kind"] or "",
        "Programs": str(len(listed)) if listed else "",
        "Profile": join(p["profile"] for p in said),
        "Sampling rate (Hz)": join(w["samplingRate"] if p["hertz"] is None else str(p["hertz"])
                                   for p, w in zip(listed, said)),
        "Channels": join(str(p["front"] + p["side"] + p["back"] + p["lfe"]) for p in listed),
        "Front": join(str(p["front"]) for p in listed), "Side": join(str(p["side"]) for p in listed),
        "Back": join(str(p["back"]) for p in listed), "LFE": join(str(p["lfe"]) for p in listed),
        "Layout": join(p["layout"] or "" for p in listed), "Speakers": join(p["speakers"] for p in said),
        "Bitrate": case["bitrate"], "Bitrate (bits per second)": "" if bitrate is None else str(bitrate),
        "Duration": case["duration"],
        "Duration (seconds)": "" if seconds is None else number(math.floor(seconds * 1000 + 0.5) / 1000),
        "Comment": join(p["comment"] for p in listed),
    }
    return {key: guard(value) for key, value in row.items()}


def row_table(args, driver):
    """After the cases: the table sorted by the keyboard, by a number both
    ways and by a name both ways, the focus kept on the heading; each program
    on a line of its own in every column, an empty comment keeping its place;
    Download table after a sort and a filter, against the list; a second
    batch's line, which counts the whole table; the skip link before and after
    files are chosen."""
    from selenium.webdriver.common.by import By
    from selenium.webdriver.common.keys import Keys
    failures = 0
    batch = args.batch
    by_name = {name: (case, result) for case, result, name in batch}

    def heading(title):
        return driver.find_element(By.XPATH, f"//thead//button[text()='{title}']")

    def order():
        return [row[0] for row in table(driver)]

    def sort_state(title):
        return driver.execute_script("""
            const button = Array.from(document.querySelectorAll('thead button')).find((b) => b.textContent === arguments[0]);
            return [document.activeElement === button, button.parentElement.getAttribute('aria-sort')];""", title)

    # By a number, with the keyboard: Enter sorts up, Enter again down.
    keys = [-1 if listed_bitrate(case) is None or case["word"] != "complete" else listed_bitrate(case)
            for case, _, _ in batch]
    button = heading("Bitrate")
    button.send_keys(Keys.ENTER)
    for sign, direction in ((1, "ascending"), (-1, "descending")):
        want = [batch[i][2] for i in sorted(range(len(batch)), key=lambda i: (sign * keys[i], i))]
        if order() != want:
            print(f"sorted by bitrate, {direction}, the table is {order()}, not {want}")
            failures += 1
        if sort_state("Bitrate") != [True, direction]:
            print(f"sorted by bitrate, {direction}: focus on its heading and its mark are {sort_state('Bitrate')}")
            failures += 1
        driver.switch_to.active_element.send_keys(Keys.ENTER)
    # By a name, both ways: the one order, reversed.
    heading("Name").click()
    up = order()
    heading("Name").click()
    down = order()
    if sorted(up) != sorted(name for _, _, name in batch) or down != up[::-1]:
        print(f"sorted by name, the table is {up} and then {down}")
        failures += 1

    # A program a line, in every column, an empty comment's line kept.
    lines = driver.execute_script("""
        const button = Array.from(document.querySelectorAll('#rows button.name'))
            .find((b) => b.textContent === arguments[0]);
        const row = button.closest('tr');
        return Array.from(row.querySelectorAll('td'), (cell) => Array.from(cell.querySelectorAll('.line'),
            (line) => [Math.round(line.getBoundingClientRect().top), line.textContent])).filter((c) => c.length);""",
        "golden.comment-as-written.adif")
    tops = [[top for top, _ in column] for column in lines]
    if len(lines) != 5 or any(len(column) != 2 for column in lines) or any(t != tops[0] for t in tops) \
            or lines[-1][0][1] != "" or tops[0][0] == tops[0][1]:
        print(f"a two-program file's lines in the table: {lines}")
        failures += 1

    # Download table after a filter and a sort: the rows shown, in order.
    choose_filter(driver, "complete")
    heading("Duration").click()
    heading("Duration").click()
    seconds = lambda case: -1 if case["seconds"] is None else case["seconds"]
    complete = [i for i, (case, _, _) in enumerate(batch) if case["word"] == "complete"]
    want = sorted(complete, key=lambda i: (-seconds(batch[i][0]), i))
    data, rows = csv_rows(args, driver)
    if rows is None:
        print("Download table saved nothing")
        failures += 1
    else:
        if [row["Name"] for row in rows] != [guard(batch[i][2]) for i in want]:
            print(f"Download table, complete files by duration, down: {[row['Name'] for row in rows]}")
            failures += 1
        for row, i in zip(rows, want):
            expected = csv_row_of(batch[i][0], batch[i][2])
            if row != expected:
                wrong = {key: (row.get(key), expected[key]) for key in expected if row.get(key) != expected[key]}
                print(f"{batch[i][0]['name']}: Download table says (, not) {wrong}")
                failures += 1
    choose_filter(driver, "all")

    # A second batch: the line counts the whole table.
    again = [path for case, path in file_cases(args) if case["name"] in ("corpus.mono-lc-8k-cbr", "kind.adts")]
    open_files(driver, again)
    every = results(driver)
    counts = {}
    for result in every:
        counts[result["word"]] = counts.get(result["word"], 0) + 1
    words = driver.execute_script("return window.adifinfo.words")
    line = (f"Reported 2 more files, {len(every)} in all: " +
            ", ".join(f"{counts[w]} {w}" for w in words if w in counts) + ".")
    if driver.find_element(By.ID, "progress").text != line:
        print(f"after a second batch the line is {driver.find_element(By.ID, 'progress').text!r}, not {line!r}")
        failures += 1

    # The skip link: to the files' choosing before there is a table.
    driver.get("file://" + os.path.abspath(args.page))
    focused = []
    for paths in ([], [again[0]]):
        if paths:
            open_files(driver, paths)
        # Out of sight until it has the focus, as the first Tab gives it.
        driver.execute_script("document.getElementById('skip').focus()")
        driver.switch_to.active_element.send_keys(Keys.ENTER)
        focused.append(driver.execute_script("return document.activeElement.id"))
    if focused != ["choose-files", "files-section"]:
        print(f"the skip link took the focus to {focused}")
        failures += 1
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
    example = next(case for case in read_cases(args) if case["name"].startswith("example."))
    paths = []
    for name, _ in NAMES:
        paths.append(os.path.join(folder, name))
        shutil.copyfile(example["input"], paths[-1])
    _, found = open_files(driver, paths)
    want = [shown for _, shown in NAMES]
    failures = check(args, paths, found, names=want)
    # Bytes that are not UTF-8 reach the page in no name (Chromium leaves such
    # a file out of a folder, and a name is a string by then), but do in a
    # comment: the cases hold those, and the unit tests the rule.
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
    # An empty folder: said so. A folder given where files are chosen: the
    # reason names the way to choose one.
    from selenium.webdriver.common.by import By
    empty = os.path.join(top, "empty")
    os.makedirs(empty)
    before = reported(driver)
    driver.find_element(By.ID, "folder").send_keys(empty)
    begun = time.monotonic()
    while "no files" not in driver.find_element(By.ID, "progress").text and time.monotonic() - begun < 10:
        time.sleep(0.02)
    if "no files" not in driver.find_element(By.ID, "progress").text or reported(driver) != before:
        print(f"an empty folder: {driver.find_element(By.ID, 'progress').text!r}")
        failures += 1
    _, found = open_files(driver, [os.path.join(chosen, "inner")])
    if found[0]["word"] != "unreadable" or "Choose a folder" not in (found[0]["reason"] or ""):
        print(f"a folder given as a file: {found[0]['word']}, {found[0]['reason']!r}")
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
    # Names cut to 200 bytes with ".adifinfo": whole characters of two bytes
    # each (95 of them, and 9 bytes), and of one byte to the edge (191).
    long_names = {"é" * 120 + ".adif": "é" * 95, "a" * 191 + ".adif": "a" * 191}
    paths = [cases["golden.comment-line-breaks"], cases["golden.comment-255"]]
    for long_name in long_names:
        paths.append(os.path.join(folder, long_name))
        shutil.copyfile(cases["example.surround-5.1"], paths[-1])
    _, found = open_files(driver, paths)
    failures = check(args, paths, found)
    for path, key in zip(paths, [Keys.SPACE, Keys.ENTER, Keys.SPACE, Keys.ENTER]):
        name = os.path.basename(path)
        click_name(driver, name)
        driver.find_element(By.ID, "download").send_keys(key)
        want = long_names.get(name, name) + ".adifinfo"
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
    """Download table: RFC 4180, UTF-8 with CRLF, a row for each file the table
    has, in its order, and every cell read back as the page holds it (a
    quote, a comma, a line break, a formula's first character)."""
    quoted = [path for case, path in file_cases(args) if case["name"] == "golden.comment-as-written"]
    open_files(driver, quoted)
    found = results(driver)
    data, rows = csv_rows(args, driver)
    if data is None:
        print("Download table saved nothing")
        return 1
    failures = 0
    if not data.startswith(b"\xef\xbb\xbf") or b"\r\n" not in data or data.replace(b"\r\n", b"").count(b"\n"):
        print("the table is not UTF-8 with CRLF line ends")
        failures += 1
    if len(rows) != len(found):
        print(f"the table has {len(rows)} rows for {len(found)} files")
        return failures + 1
    shown = {row["Name"] for row in rows}
    for result in found:
        name = guard(result["name"])
        if name not in shown:
            print(f"Download table has no row named {name!r}")
            failures += 1
    # RFC 4180: a field with a quote in it is quoted, its quotes doubled.
    if '"; say ""hi""'.encode() not in data:
        print("a comment with a quote in it is not quoted as RFC 4180 has it")
        failures += 1
    comments = [row["Comment"] for row in rows if "hi" in row["Comment"]]
    if '; say "hi"\\x7f\\xe0\\x80\\xaf café' not in comments:
        print(f"a comment with a quote in it reads back as {comments}")
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
    for i in range(150):
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
        # Names as a music folder has them, in several scripts.
        artist = ("Ωμέγα", "Les Étoiles", "日本のバンド", "Zoë & the Long Names Orchestra", "DJ 2", "DJ 12")[i % 6]
        paths.append(os.path.join(folder, f"{artist} - {i * 7919 % 10000:04d} - {os.path.basename(source)}"))
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
        work = table_work(driver) if count == 10000 else None
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
        if count == 10000:
            print("page          with 10,000 files in the table, the main thread's time (target: under 100 ms "
                  "each): " + work)
    return 0


def table_work(driver):
    """The main thread's time for each thing done to a table of many files, as
    the page's own handlers do it on a click or a choice: each sort (a name,
    then numbers, each way), the next page, a filter, and Download table
    (the CSV made, to the link's click)."""
    times = driver.execute_script("""
        const timed = (work) => { const begun = performance.now(); work(); return performance.now() - begun; };
        const heading = (title) => Array.from(document.querySelectorAll('thead button')).find((b) => b.textContent === title);
        const filter = document.getElementById('filter');
        const choose = (word) => { filter.value = word; filter.dispatchEvent(new Event('change')); };
        // Download table's link is not followed: only the page's own work is timed.
        const click = HTMLAnchorElement.prototype.click;
        HTMLAnchorElement.prototype.click = function () {};
        const times = [
            ['sort by duration', timed(() => heading('Duration').click())],
            ['and back', timed(() => heading('Duration').click())],
            ['sort by name', timed(() => heading('Name').click())],
            ['and back', timed(() => heading('Name').click())],
            ['sort by comment', timed(() => heading('Comment').click())],
            ['next page', timed(() => document.getElementById('next').click())],
            ['filter', timed(() => choose('not ADIF'))],
            ['all again', timed(() => choose('all'))],
            ['Download table', timed(() => document.getElementById('download-table').click())],
        ];
        HTMLAnchorElement.prototype.click = click;
        return times;""")
    return ", ".join(f"{what} {ms:.0f} ms" for what, ms in times) + \
        (" ok" if all(ms < 100 for _, ms in times) else " OVER TARGET")


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


def row_bundle(args, driver):
    failures = 0
    folder = os.path.join(args.work, "bundle")
    shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(folder)
    with open(os.path.join(folder, "app.mjs"), "w") as app:
        app.write("import {inspect, words} from 'adifinfo';\nwindow.bundled = {inspect, words};\n")
    with open(os.path.join(folder, "app.html"), "w") as page:
        page.write("<!DOCTYPE html><title>app</title><script src='app.js'></script>\n")
    subprocess.run([args.esbuild, "app.mjs", "--bundle", "--platform=browser", "--format=iife",
                    "--outfile=app.js", "--log-level=warning"], cwd=folder, check=True,
                   env={**os.environ, "NODE_PATH": args.modules})
    driver.get("file://" + os.path.join(folder, "app.html"))
    # A case of each kind of report the page would give of a file: the
    # bundle is the page's library, which the cases row runs on every case.
    chosen = ("golden.comment-controls", "golden.bad-id-empty", "kind.radio-log-adif", "kind.id3-at-span-adts",
              "corpus.three-lc-22k-cbr")
    made = [(case, path) for case, path in file_cases(args) if case["name"] in chosen]
    if len(made) != len(chosen):
        print(f"bundle: the list has no case of each of {chosen}")
        failures += 1
    for case, path in made:
        with open(path, "rb") as f:
            given = f.read(1 << 20)
        got = driver.execute_async_script("""
            const [bytes, name, done] = arguments;
            const data = Uint8Array.from(atob(bytes), (c) => c.charCodeAt(0));
            const ways = [new File([data], name), new Blob([data]), data, new Blob([data]).stream(), new Response(data)];
            Promise.all(ways.map((input) => window.bundled.inspect(input)))
                .then((all) => done(all.map((r) => ({status: r.status, word: r.word, report: Array.from(r.report),
                                                     binary: r.report instanceof Uint8Array, about: r.inWords.about}))),
                      (error) => done(String(error)));""", __import__("base64").b64encode(given).decode(), case["name"])
        if os.path.getsize(path) > len(given):
            continue  # a sparse file: its size is not the bytes'
        with open(case["report"], "rb") as report:
            expected = {"status": case["status"], "word": case["word"], "report": list(report.read()), "binary": True,
                        "about": case["said"]["about"]}
        if not isinstance(got, list) or any(way != expected for way in got):
            print(f"bundle: {case['name']}: {str(got)[:300]}")
            failures += 1
    refused = driver.execute_async_script("""
        const done = arguments[arguments.length - 1];
        window.bundled.inspect('x.adif').then(() => done('accepted'), (e) => done(e.name + ': ' + e.message));""")
    if not refused.startswith("TypeError: inspect: a browser opens no paths"):
        print(f"bundle: a path gave {refused}")
        failures += 1
    driver.get("file://" + os.path.abspath(args.page))
    return failures


ROWS = {
    "bundle": row_bundle,
    "cases": row_cases,
    "table": row_table,
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
    for name in ("page", "tool", "bitpack", "cases", "work"):
        parser.add_argument(f"--{name}", required=True)
    parser.add_argument("--esbuild", default=shutil.which("esbuild"))
    parser.add_argument("--modules", help="the folder the npm package is installed in (bundle)")
    parser.add_argument("--chromium", default=shutil.which("chromium"))
    parser.add_argument("--chromedriver", default=shutil.which("chromedriver"))
    args = parser.parse_args()
    args.work = os.path.abspath(args.work)
    args.tool = os.path.abspath(args.tool)
    args.bitpack = os.path.abspath(args.bitpack)
    args.modules = args.modules and os.path.abspath(args.modules)
    args.made = None
    args.batch = None
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
