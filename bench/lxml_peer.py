#!/usr/bin/python3
"""The peer of the reply-path benchmark: the same answer page, read the way a
program built on lxml would read it. The page is parsed as HTML in its
character set, an XPath selects the entries of the result list, and each is
serialised back to text, as the reply path keeps each entry's HTML.

    lxml_peer.py PAGE CHARSET [RUNS]

Prints one JSON object: the best and median CPU seconds of RUNS runs (default 5),
the entries found and the page size. Needs Debian's python3-lxml, so it runs
under /usr/bin/python3.
"""

import json
import statistics
import sys
import time

from lxml import etree

# The plugin names of the character sets and Python's names for them.
CODECS = {
    "iso-2022-jp": "iso-2022-jp",
    "x-euc-jp": "euc-jp",
    "euc-jp": "euc-jp",
    "x-sjis": "shift_jis",
    "shift_jis": "shift_jis",
    "utf-8": "utf-8",
}

ENTRIES = etree.XPath('//ol[@class="results"]/li')


def read_page(page, parser):
    root = etree.fromstring(page, parser)
    return [etree.tostring(li, encoding="unicode") for li in ENTRIES(root)]


def main(argv):
    if len(argv) not in (3, 4) or argv[2] not in CODECS:
        sys.stderr.write(__doc__)
        return 2
    with open(argv[1], "rb") as f:
        page = f.read()
    runs = int(argv[3]) if len(argv) == 4 else 5
    parser = etree.HTMLParser(encoding=CODECS[argv[2]])
    times = []
    entries = []
    for _ in range(runs):
        start = time.process_time()
        entries = read_page(page, parser)
        times.append(time.process_time() - start)
    json.dump(
        {
            "best_seconds": min(times),
            "median_seconds": statistics.median(times),
            "entries": len(entries),
            "bytes": len(page),
            "lxml": ".".join(map(str, etree.LXML_VERSION)),
            "libxml2": ".".join(map(str, etree.LIBXML_VERSION)),
        },
        sys.stdout,
    )
    sys.stdout.write("\n")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
