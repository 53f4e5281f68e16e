#!/bin/sh
# chasen.sh PROGRAM INPUT OUTPUT OPTION...
#
# Analyses the text file INPUT (code page 932, CR LF line ends) with the ChaSen
# program PROGRAM and the given options, and writes its output to OUTPUT in
# code page 932 with CR LF line ends. The ChaSen of the system reads and writes
# UTF-8, so the text is converted on the way in and on the way out.
#
# Exit status: 0 done; 1 PROGRAM is missing or cannot be run; 2 the analysis
# or a conversion failed, or the arguments are wrong. OUTPUT is written whole
# or not at all: it only appears when every step has succeeded.

if [ "$#" -lt 3 ]; then
    echo "usage: chasen.sh PROGRAM INPUT OUTPUT [OPTION...]" >&2
    exit 2
fi

program=$1
input=$2
output=$3
shift 3

if [ ! -f "$program" ] || [ ! -x "$program" ]; then
    echo "chasen.sh: the ChaSen program \"$program\" is missing or cannot be run" >&2
    exit 1
fi
if [ ! -r "$input" ]; then
    echo "chasen.sh: cannot read the input file \"$input\"" >&2
    exit 2
fi

# Every step writes a work file of its own beside OUTPUT, so a failure is
# noticed at the step that failed and the last step is a rename within one
# folder.
work=$output.$$
trap 'rm -f -- "$work.utf8" "$work.text" "$work.analysis" "$work.crlf" "$work.sjis"' EXIT
trap 'exit 2' HUP INT TERM

fail() {
    echo "chasen.sh: $1" >&2
    exit 2
}

cr=$(printf '\r')

iconv -f CP932 -t UTF-8 <"$input" >"$work.utf8" ||
    fail "\"$input\" is not code page 932 text"
tr -d '\r' <"$work.utf8" >"$work.text" || fail "cannot write the work files"
"$program" "$@" <"$work.text" >"$work.analysis" ||
    fail "the ChaSen program \"$program\" failed"
sed "s/\$/$cr/" <"$work.analysis" >"$work.crlf" || fail "cannot write the work files"
iconv -f UTF-8 -t CP932 <"$work.crlf" >"$work.sjis" ||
    fail "the analysis holds characters outside code page 932"
mv -f -- "$work.sjis" "$output" || fail "cannot write \"$output\""
exit 0
