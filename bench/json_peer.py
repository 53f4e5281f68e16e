#!/usr/bin/python3
"""The peer of the JSON reader's benchmark: the same answer read with Python's
json module and walked by the same paths (by default MediaWiki's: query/search;
title, pageid with its prefix, snippet; else those of a KEYS file that
bench_jsonentries --write-engines writes), the titles and texts turned into
text as the reader does (tags removed, references decoded, white space
folded).

    json_peer.py ANSWER [RUNS [KEYS]]

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


WIKIPEDIA = {"results": "query/search", "title": "title", "url": "pageid", "altUrl": "",
             "urlPrefix": "https://ja.wikipedia.org/?curid=", "content": "snippet"}


def walk(value, path):
    for step in path.split("/"):
        if not step:
            continue
        value = value[int(step)] if isinstance(value, list) else value[step]
    return value


def value_text(result, path):
    """The text at path below one result, as the reader takes it."""
    if not path:
        return ""
    try:
        value = walk(result, path)
    except (KeyError, IndexError, ValueError, TypeError):
        return ""
    if isinstance(value, list):
        value = value[0] if value else None
    if value is None or isinstance(value, (dict, list)):
        return ""
    return str(value)


def read(answer, keys):
    results = []
    for result in walk(json.loads(answer), keys["results"]):
        title = text(value_text(result, keys["title"]))
        if not title:
            continue
        address = (value_text(result, keys["url"]).strip()
                   or value_text(result, keys["altUrl"]).strip())
        if address and not address.startswith(("http:", "https:")) and keys["urlPrefix"]:
            address = keys["urlPrefix"] + address
        results.append((title, address, text(value_text(result, keys["content"]))[:300]))
    return results


def main(argv):
    if len(argv) not in (2, 3, 4):
        sys.stderr.write(__doc__)
        return 2
    with open(argv[1], "rb") as f:
        answer = f.read()
    runs = int(argv[2]) if len(argv) >= 3 else 5
    keys = WIKIPEDIA
    if len(argv) == 4:
        with open(argv[3], encoding="utf-8") as f:
            keys = json.load(f)
    times = []
    results = []
    for _ in range(runs):
        start = time.process_time()
        results = read(answer, keys)
        times.append(time.process_time() - start)
    json.dump({"best_seconds": min(times), "median_seconds": statistics.median(times),
               "entries": len(results), "bytes": len(answer),
               "python": sys.version.split()[0]}, sys.stdout)
    print()
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
