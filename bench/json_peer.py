#!/usr/bin/python3
"""The peer of the JSON reader's benchmark: the same answer read with Python's
json module and walked by the same paths (query/search; title, pageid with
its prefix, snippet), the titles and snippets turned into text as the reader
does (tags removed, references decoded, white space folded).

    json_peer.py ANSWER [RUNS]

Prints one JSON object: the best and median CPU seconds of RUNS runs
(default 5), the results found and the answer's size.
"""

import html
import json
import re
import statistics
import sys
import time

TAG = re.compile(r"<[A-Za-z/!?][^>]*>")


def text(value):
    return " ".join(html.unescape(TAG.sub("", value)).split())


def walk(value, path):
    for step in path.split("/"):
        value = value[int(step)] if isinstance(value, list) else value[step]
    return value


def read(answer):
    results = []
    for result in walk(json.loads(answer), "query/search"):
        title = text(str(result.get("title", "")))
        if not title:
            continue
        address = "https://ja.wikipedia.org/?curid=" + str(result.get("pageid", ""))
        results.append((title, address, text(str(result.get("snippet", "")))[:300]))
    return results


def main(argv):
    if len(argv) not in (2, 3):
        sys.stderr.write(__doc__)
        return 2
    with open(argv[1], "rb") as f:
        answer = f.read()
    runs = int(argv[2]) if len(argv) == 3 else 5
    times = []
    results = []
    for _ in range(runs):
        start = time.process_time()
        results = read(answer)
        times.append(time.process_time() - start)
    json.dump({"best_seconds": min(times), "median_seconds": statistics.median(times),
               "entries": len(results), "bytes": len(answer),
               "python": sys.version.split()[0]}, sys.stdout)
    print()
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
