#!/usr/bin/python3
"""Prints the table of one benchmark run from the files scripts/bench leaves
in its results folder: the Google Benchmark JSON files, the lxml peer's JSON,
the JSON reader's peer and the CPU figures of the slow run.

    report.py RESULTS_DIR

Times are CPU times (the medians of the repetitions), so other work on a
shared machine weighs less; MB are 10^6 bytes. The reply path's figures show
the fastest repetition beside the median ("best"): on a machine whose other
work only slows a run down, it is the code's own speed, but the verdicts are
the medians'.
"""

import json
import os
import sys

CHARSETS = [
    ("iso-2022-jp", "ISO-2022-JP"),
    ("x-euc-jp", "EUC-JP"),
    ("x-sjis", "Shift_JIS"),
    ("utf-8", "UTF-8"),
]
SIZES = [(100000, "100 KB"), (1000000, "1 MB"), (10000000, "10 MB")]

# The figures the program is to reach.
MIN_REPLY_MB_S = 300.0
MIN_LONG_LINE_MB_S = 445.0  # the long-line pages keep their speed
MAX_GROWTH = 12.0
MIN_PEER_RATIO = 30.0
MIN_JSON_RATIO = 5.0
MAX_SORTED_INSERT_MS = 1000.0

# The shipped JSON engines whose answers of about 1 MB are read beside
# Python's json module (bench_jsonentries --write-engines).
JSON_ENGINES = ["crossref", "github", "googlebooks", "hackernews", "openlibrary", "qiita",
                "stackoverflow", "wikipedia", "wiktionary"]


def load_benchmarks(path, aggregate="median"):
    """Benchmark name -> its median entry (or its only entry); with aggregate,
    that aggregate's entry instead, for the benchmarks that have it."""
    with open(path) as f:
        runs = json.load(f)["benchmarks"]
    found = {}
    for run in runs:
        name = run.get("run_name", run["name"])
        if run.get("run_type") == "aggregate":
            if run.get("aggregate_name") == aggregate:
                found[name] = run
        elif aggregate == "median":
            found.setdefault(name, run)
    return found


def best_mb_s(best, name):
    """The fastest repetition's MB/s (its bytes over its time), or None."""
    run = best.get(name)
    if run is None or run["cpu_time"] <= 0:
        return None
    return run["bytes"] / (ms(run) / 1e3) / 1e6


def with_best(figure, best):
    return figure if best is None else "%s (best %.0f)" % (figure, best)


def ms(run):
    scale = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}[run.get("time_unit", "ns")]
    return run["cpu_time"] * scale


def mb_s(run):
    return run["bytes_per_second"] / 1e6


def verdict(ok):
    return "met" if ok else "NOT MET"


def main(argv):
    if len(argv) != 2:
        sys.stderr.write(__doc__)
        return 2
    results = argv[1]
    reply = load_benchmarks(os.path.join(results, "replypath.json"))
    reply_best = load_benchmarks(os.path.join(results, "replypath.json"), "best")
    conversions = load_benchmarks(os.path.join(results, "charconv.json"))
    model = load_benchmarks(os.path.join(results, "resultsmodel.json"))
    catalogue = load_benchmarks(os.path.join(results, "catalogue.json"))
    with open(os.path.join(results, "lxml.json")) as f:
        peer = json.load(f)
    slow = {}
    slow_path = os.path.join(results, "slowrun.txt")
    if os.path.exists(slow_path):
        with open(slow_path) as f:
            for line in f:
                key, _, value = line.strip().partition("=")
                slow[key] = value

    lines = []
    out = lines.append
    out("| Measure | Figure | Target |")
    out("|---|---|---|")
    slowest = None
    worst_growth = 0.0
    for charset, label in CHARSETS:
        for size, size_label in SIZES:
            name = "BM_ReplyPath/%s/%d" % (charset, size)
            run = reply[name]
            rate = mb_s(run)
            slowest = rate if slowest is None else min(slowest, rate)
            out(
                "| Reply path, %s, %s page (%d entries) | %s | >= %.0f MB/s: %s |"
                % (label, size_label, run["entries"],
                   with_best("%.0f MB/s" % rate, best_mb_s(reply_best, name)),
                   MIN_REPLY_MB_S, verdict(rate >= MIN_REPLY_MB_S))
            )
        growth = ms(reply["BM_ReplyPath/%s/10000000" % charset]) / ms(
            reply["BM_ReplyPath/%s/1000000" % charset]
        )
        worst_growth = max(worst_growth, growth)
        out(
            "| Reply path, %s, time 10 MB / 1 MB | %.2f | <= %.0f: %s |"
            % (label, growth, MAX_GROWTH, verdict(growth <= MAX_GROWTH))
        )
    for size, size_label in (s for s in SIZES if s[0] >= 1000000):
        run = reply["BM_ReplyPathLongLines/utf-8/%d" % size]
        rate = mb_s(run)
        out(
            "| Reply path, UTF-8, %s page of ~100 KB lines, title after <h2 (%d entries) "
            "| %.0f MB/s | >= %.0f MB/s: %s |"
            % (size_label, run["entries"], rate, MIN_LONG_LINE_MB_S,
               verdict(rate >= MIN_LONG_LINE_MB_S))
        )
    for name in ("BM_DecodeEuc", "BM_DecodeJis", "BM_SjisToEuc"):
        out("| %s, lines of a 1 MB page | %.0f MB/s | |" % (name[3:], mb_s(conversions[name])))
    for count in (1000, 10000, 100000):
        run = model["BM_AddRowByRelevance/%d" % count]
        target = ""
        if count == 100000:
            target = "< %.0f ms: %s" % (MAX_SORTED_INSERT_MS,
                                       verdict(ms(run) < MAX_SORTED_INSERT_MS))
        out("| Results list, %d rows added one by one, sorted by relevance | %.1f ms | %s |"
            % (count, ms(run), target))
    out("| Start-up: plugin catalogue of 1,000 plugin files | %.1f ms | |"
        % ms(catalogue["BM_CatalogueLoad/1000"]))
    if slow.get("cpu_seconds"):
        out(
            "| Search run waiting on 3 slow engines (%s s delay): CPU of sokuri-cli | "
            "%s s in %s s, %s rows | |"
            % (slow.get("delay_seconds", "?"), slow["cpu_seconds"], slow.get("elapsed_seconds", "?"),
               slow.get("rows", "?"))
        )
    else:
        out("| Search run waiting on slow engines: CPU of sokuri-cli | not measured: %s | |"
            % slow.get("error", "no figures"))

    # Both sides as the median of their five runs, so that the ratio compares
    # like with like.
    ours = ms(reply["BM_ReplyPathFile"]) / 1e3
    ratio = peer["median_seconds"] / ours
    entries_agree = int(reply["BM_ReplyPathFile"]["entries"]) == peer["entries"]
    out(
        "| Peer: %.1f MB EUC-JP page of %d entries, lxml %s (libxml2 %s) parse + XPath + "
        "serialise | %.0f ms (best %.0f ms) | |"
        % (peer["bytes"] / 1e6, peer["entries"], peer["lxml"], peer["libxml2"],
           peer["median_seconds"] * 1e3, peer["best_seconds"] * 1e3)
    )
    ours_best = reply_best.get("BM_ReplyPathFile")
    ours_best = ms(ours_best) / 1e3 if ours_best else None
    out("| Peer: the same page through the reply path | %.1f ms%s (%d rows) | |"
        % (ours * 1e3, "" if ours_best is None else " (best %.1f ms)" % (ours_best * 1e3),
           reply["BM_ReplyPathFile"]["entries"]))
    best_ratio = "" if ours_best is None else "; best ÷ best: %.1f" % (
        peer["best_seconds"] / ours_best)
    out("| Peer: lxml time / reply path time (medians; lxml's best: %.1f%s) | %.1f | >= %.0f: %s |"
        % (peer["best_seconds"] / ours, best_ratio, ratio, MIN_PEER_RATIO,
           verdict(ratio >= MIN_PEER_RATIO)))
    keywords_path = os.path.join(results, "keywords.json")
    if os.path.exists(keywords_path):
        keywords = load_benchmarks(keywords_path)
        choice = keywords.get("BM_ChooseKeywords")
        whole = keywords.get("BM_AnalyseAndChoose")
        if choice:
            out("| Keywords: 10,000-character passage, terms scored and five chosen | %.1f ms | "
                "< 1000 ms: %s |" % (ms(choice), verdict(ms(choice) < 1000)))
        if whole:
            out("| Keywords: the same passage through local ChaSen, pieces and choice | %.0f ms | "
                "< 1000 ms: %s |" % (ms(whole), verdict(ms(whole) < 1000)))
    json_path = os.path.join(results, "jsonentries.json")
    worst_json = None
    if os.path.exists(json_path):
        readers = load_benchmarks(json_path)
        reader = readers["BM_JsonEntries"]
        with open(os.path.join(results, "json_peer.json")) as f:
            python = json.load(f)
        json_ratio = python["best_seconds"] / (ms(reader) / 1e3)
        worst_json = json_ratio
        out("| JSON: %.1f MB answer of %d results, simdjson + paths | %.1f ms (%d rows) | |"
            % (python["bytes"] / 1e6, python["entries"], ms(reader), reader["entries"]))
        out("| JSON: Python %s json module + the same walk | %.1f ms | |"
            % (python["python"], python["best_seconds"] * 1e3))
        out("| JSON: Python time / JSON reader time | %.2f | >= %.0f: %s |"
            % (json_ratio, MIN_JSON_RATIO, verdict(json_ratio >= MIN_JSON_RATIO)))
        for engine in JSON_ENGINES:
            run = readers.get("BM_JsonEngine/" + engine)
            peer_path = os.path.join(results, "json_peer_%s.json" % engine)
            if run is None or not os.path.exists(peer_path):
                continue
            with open(peer_path) as f:
                python = json.load(f)
            engine_ratio = python["best_seconds"] / (ms(run) / 1e3)
            worst_json = min(worst_json, engine_ratio)
            out("| JSON: %s, %.1f MB answer (%d rows): Python %.1f ms / reader %.2f ms | %.2f "
                "| >= %.0f: %s |"
                % (engine, python["bytes"] / 1e6, run["entries"], python["best_seconds"] * 1e3,
                   ms(run), engine_ratio, MIN_JSON_RATIO,
                   verdict(engine_ratio >= MIN_JSON_RATIO)))
    print("\n".join(lines))
    print()
    print("Slowest reply path: %.0f MB/s (goal >= %.0f); largest 10 MB / 1 MB time ratio: %.2f "
          "(goal <= %.0f); lxml / reply path: %.1f (goal >= %.0f)"
          % (slowest, MIN_REPLY_MB_S, worst_growth, MAX_GROWTH, ratio, MIN_PEER_RATIO))
    if worst_json is not None:
        print("Lowest Python json / JSON reader ratio: %.2f (goal >= %.0f)"
              % (worst_json, MIN_JSON_RATIO))
    if not entries_agree:
        print("WARNING: the reply path and lxml found different numbers of entries")
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
