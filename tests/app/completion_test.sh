#!/usr/bin/env bash
# The bash completion of sokuri-cli against a build's program: commands,
# options, option values, plugin names (blanks, brackets, Japanese) and .skr
# documents; then in an interactive bash on a terminal, where readline puts a
# plugin name on the command line escaped or inside the user's quote.
set -euo pipefail
build=$1
source_dir=$(cd "$(dirname "$0")/../.." && pwd)
completion=$source_dir/data/completion/sokuri-cli
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cp -r "$build/app" "$work/app"
cli=$work/app/sokuri-cli
# A second folder with one plugin, for --app-dir.
cp -r "$build/app" "$work/other"
find "$work/other/plugins" -name '*.ini' ! -name GitHub.ini -delete
mkdir -p "$work/docs/sub"
touch "$work/docs/kyoto.skr" "$work/docs/kobe.skr" "$work/docs/notes.txt"
cd "$work/docs"

# shellcheck source=/dev/null
source "$completion"
# Completes the words given (the last one is the word being typed) and prints
# the candidates one a line, sorted.
complete_words() {
  COMP_WORDS=("$cli" "$@")
  COMP_CWORD=$#
  COMP_LINE="${COMP_WORDS[*]}"
  COMP_POINT=${#COMP_LINE}
  _sokuri_cli 2>/dev/null
  printf '%s\n' "${COMPREPLY[@]}" | sort
}

# words typed (as on a command line) | candidates that must be there (";"
# between them) | a candidate that must not
cases=(
  "|settings;plugins;analyse;show;update;plugin;search|"
  "se|settings;search|show"
  "--|--app-dir;--help;--version|--plugin"
  "search --p|--plugin|--app-dir"
  "search --|--keywords;--sentence;--all;--format;--save;--timeout;--merge;--help|--app-dir"
  "search --format |table;tsv;jsonl;csv|"
  "search --plugin Wik|Wikipedia (日本語);Wiktionary (日本語)|arXiv"
  "search --plugin デモ|デモ検索 (EUC);デモ検索 (JIS);デモ検索 (SJIS);デモ検索 (UTF-8)|arXiv"
  "search --plugin '\"Wikipedia ('|Wikipedia (日本語)|Wiktionary (日本語)"
  "search --plugin 'Wikipedia\ \('|Wikipedia (日本語)|Wiktionary (日本語)"
  "search --plugin = Wik|Wikipedia (日本語);Wiktionary (日本語)|arXiv"
  "search --timeout ||kyoto.skr"
  "search --save k|kyoto.skr;kobe.skr|notes.txt"
  "search --all --save |kyoto.skr;kobe.skr;sub|notes.txt"
  "show |kyoto.skr;kobe.skr;sub|notes.txt"
  "show kyoto.skr ||kyoto.skr"
  "plugin |install;remove;import-opensearch|"
  "plugin remove ar|arXiv|"
  "plugin install note|notes.txt|"
  "--app-dir $work/other plugin remove |GitHub|arXiv"
  "analyse --|--help|--plugin"
)
for case in "${cases[@]}"; do
  IFS='|' read -r typed want refuse <<<"$case"
  eval "words=($typed)"
  [[ $typed == *" " || -z $typed ]] && words+=("")
  got=$(complete_words "${words[@]}")
  IFS=';' read -r -a wanted <<<"$want"
  for w in "${wanted[@]}"; do
    grep -qxF -- "$w" <<<"$got" || fail "'$typed': no candidate '$w' in: $(tr '\n' ',' <<<"$got")"
  done
  if [ -n "$refuse" ]; then
    grep -qxF -- "$refuse" <<<"$got" && fail "'$typed': unexpected candidate '$refuse'"
  fi
done

# An interactive bash on a terminal: Tab completes a plugin name on the
# command line, escaped when unquoted and closed when quoted.
/usr/bin/python3 - "$completion" "$cli" <<'EOF'
import os, pty, select, sys

completion, cli = sys.argv[1], sys.argv[2]
env = dict(os.environ, PS1="PROMPT> ", INPUTRC="/dev/null", TERM="dumb", LC_ALL="C.UTF-8",
           HISTFILE="/dev/null")
cases = [
    (cli + " search --plugin Wikipedia\t", "--plugin Wikipedia\\ \\(日本語\\) "),
    (cli + ' search --plugin "Wikipedia\t', '--plugin "Wikipedia (日本語)" '),
    (cli + " plugin remove はてな\t", "remove はてなブックマーク "),
]
for typed, expected in cases:
    pid, fd = pty.fork()
    if pid == 0:
        os.execvpe("bash", ["bash", "--norc", "--noprofile", "-i"], env)
    seen = b""
    def read_until(marker):
        global seen
        while marker not in seen:
            ready, _, _ = select.select([fd], [], [], 60)
            if not ready:
                sys.exit("FAIL: the interactive bash did not answer; it showed: " + repr(seen))
            seen += os.read(fd, 4096)
    # Ctrl+T prints readline's line as it stands after the Tab.
    os.write(fd, ("source '" + completion + "'; bind -x '\"\\C-t\": "
                  "echo \"LINE=[$READLINE_LINE]\"'; echo READ''Y\n").encode())
    read_until(b"READY\r\n")
    seen = b""
    os.write(fd, typed.encode() + b"\x14")
    read_until(b"LINE=[")
    read_until(b"]\r\n")
    line = seen.decode("utf-8", "replace")
    os.write(fd, b"\x15exit\n")
    os.waitpid(pid, 0)
    if expected not in line:
        sys.exit("FAIL: Tab on %r gave %r, not %r" % (typed, line, expected))
EOF
echo "completion test passed"
