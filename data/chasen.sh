#!/bin/sh
# chasen.sh PROGRAM INPUT OUTPUT OPTION...
#
# Analyses the text file INPUT (code page 932, CR LF line ends) with the
# morphological analyser PROGRAM and the given options, and writes its output
# to OUTPUT in code page 932 with CR LF line ends. The analysers of the system
# read and write UTF-8, so the text is converted on the way in and on the way
# out.
#
# PROGRAM is ChaSen, or MeCab when its file name contains "mecab". With the
# option -c (what Sokuri gives) the output is one morpheme a line,
#   WORD TAB READING TAB BASE TAB CLASS CONJUGATION-TYPE CONJUGATION-FORM
# and "EOS" after each sentence, where CLASS is the keyword class of the
# morpheme, found from the analyser's name of its part of speech:
#   2  common noun   (名詞-一般)
#   3  proper noun   (名詞-固有名詞 and every kind of it: people, places,
#                     organisations, others)
#   6  verbal noun   (名詞-サ変接続)
#   0  anything else (no keyword)
# and, for the parts of compound terms (none of them a keyword by itself):
#   p  noun prefix   (接頭詞-名詞接続, 接頭詞-数接続)
#   s  noun suffix   (名詞-接尾-一般, -サ変接続, -地域, -人名, -助数詞,
#                     -形容動詞語幹)
#   a  adjectival noun stem (名詞-形容動詞語幹)
#   n  number        (名詞-数)
#   u  unknown word  (未知語)
#   y  symbol        (記号 and its kinds)
# so the keywords do not depend on how a dictionary numbers its classes.
# ChaSen is asked for the names with its option -F (in its own words, so a
# word its dictionary does not know is 未知語, no keyword) and gives the
# numbers of the conjugation; MeCab's own output is read, and its conjugation fields are
# 0 0. The other options go to ChaSen as they are; MeCab takes none of them.
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
trap 'rm -f -- "$work.utf8" "$work.text" "$work.raw" "$work.analysis" "$work.crlf" "$work.sjis"' EXIT
trap 'exit 2' HUP INT TERM

fail() {
    echo "chasen.sh: $1" >&2
    exit 2
}

cr=$(printf '\r')
tab=$(printf '\t')

# The keyword class of a part-of-speech name, for awk.
classes='
function keyword_class(name) {
    if (name == "名詞-一般") return 2
    if (name == "名詞-固有名詞" || index(name, "名詞-固有名詞-") == 1) return 3
    if (name == "名詞-サ変接続") return 6
    if (name == "接頭詞-名詞接続" || name == "接頭詞-数接続") return "p"
    if (name == "名詞-接尾-一般" || name == "名詞-接尾-サ変接続" || name == "名詞-接尾-地域" ||
        name == "名詞-接尾-人名" || name == "名詞-接尾-助数詞" || name == "名詞-接尾-形容動詞語幹")
        return "s"
    if (name == "名詞-形容動詞語幹") return "a"
    if (name == "名詞-数") return "n"
    if (name == "未知語") return "u"
    if (name == "記号" || index(name, "記号-") == 1) return "y"
    return 0
}'

coded=false
for option in "$@"; do
    [ "$option" = "-c" ] && coded=true
done

case ${program##*/} in
*mecab* | *MeCab*) analyser=mecab ;;
*) analyser=chasen ;;
esac

# ChaSen's -F lines: WORD READING BASE NAME CONJUGATION, by tabs. Other lines
# (another program's own) go through as they are.
chasen_lines() {
    awk -F "$tab" "$classes"'
NF == 5 { print $1 "\t" $2 "\t" $3 "\t" keyword_class($4) " " $5; next }
{ print }'
}

# MeCab's lines: WORD TAB the features by commas (classes, conjugation type
# and form, base, reading, pronunciation; an unknown word has no reading).
mecab_lines() {
    awk -F "$tab" "$classes"'
NF < 2 { print; next }
{
    n = split($2, f, ",")
    name = f[1]
    for (i = 2; i <= 4 && i <= n; i++)
        if (f[i] != "*") name = name "-" f[i]
    base = (n >= 7 && f[7] != "*") ? f[7] : $1
    reading = (n >= 8 && f[8] != "*") ? f[8] : $1
    print $1 "\t" reading "\t" base "\t" keyword_class(name) " 0 0"
}'
}

# Runs the analyser on standard input; its status is the analyser's.
analyse() {
    if [ "$analyser" = mecab ]; then
        # A long sentence stays one line (the default buffer is 8 KB).
        "$program" -b 4194304 >"$work.raw" || return 1
        mecab_lines <"$work.raw"
    elif [ "$coded" = true ]; then
        for option in "$@"; do
            shift
            [ "$option" = "-c" ] || set -- "$@" "$option"
        done
        "$program" -F '%m\t%y\t%M\t%U(%P-)\t%t %f\n' "$@" >"$work.raw" || return 1
        chasen_lines <"$work.raw"
    else
        "$program" "$@"
    fi
}

iconv -f CP932 -t UTF-8 <"$input" >"$work.utf8" ||
    fail "\"$input\" is not code page 932 text"
tr -d '\r' <"$work.utf8" >"$work.text" || fail "cannot write the work files"
analyse "$@" <"$work.text" >"$work.analysis" ||
    fail "the analyser \"$program\" failed"
sed "s/\$/$cr/" <"$work.analysis" >"$work.crlf" || fail "cannot write the work files"
iconv -f UTF-8 -t CP932 <"$work.crlf" >"$work.sjis" ||
    fail "the analysis holds characters outside code page 932"
mv -f -- "$work.sjis" "$output" || fail "cannot write \"$output\""
exit 0
