#!/usr/bin/env bash
# Writes the sections of sokuri-cli(1) that come from the program itself, as
# help2man include text: SYNOPSIS, COMMANDS and OPTIONS from
# `sokuri-cli --help`, and COMMAND OPTIONS from each command's own
# `sokuri-cli COMMAND --help` (its usage, options and arguments).
#
#   command-options.sh PATH/TO/sokuri-cli OUTPUT.h2m
set -euo pipefail
cli=$1
output=$2

# Text made safe for roff: backslashes kept, hyphens as \-, and a leading
# dot or quote kept from being read as a request.
roff() {
  sed -e 's/\\/\\e/g' -e 's/-/\\-/g' -e "s/^\\([.']\\)/\\\\\\&\\1/"
}

# The items of the help text's lists whose heading matches $1 (an awk
# pattern), as tagged paragraphs: each item's name is indented by two
# blanks and followed by its description after a gap; the description goes
# on in lines indented further.
items() {
  awk -v heading="$1" '
    $0 ~ heading { on = 1; next }
    /^[^ ]/ { on = 0 }
    !on { next }
    /^  [^ ]/ {
      line = substr($0, 3)
      split(line, parts, /  +/)
      names = parts[1]
      text = substr(line, length(names) + 1)
      sub(/^ +/, "", text)
      printf "@TP\n@B%s@R\n%s\n", names, text
      next
    }
    /^   +[^ ]/ { line = $0; sub(/^ +/, "", line); print line }
  ' | roff | sed -e 's/^@TP$/.TP/' -e 's/^@B/\\fB/' -e 's/@R$/\\fR/'
}

# The usage line of a help text without "usage: sokuri-cli ".
usage() {
  sed -n 's/^usage: sokuri-cli //p' | head -n 1 | roff
}

help=$("$cli" --help)
commands=$(awk '/^commands:/ { on = 1; next } /^[^ ]/ { on = 0 }
                on && /^  [a-z][a-z-]*( |$)/ { print $1 }' <<<"$help")
[ -n "$commands" ] || { echo "command-options.sh: $cli --help lists no commands" >&2; exit 1; }

{
  echo '[=SYNOPSIS]'
  printf '.B sokuri\\-cli\n%s\n' "$(usage <<<"$help")"
  echo '[COMMANDS]'
  items '^commands:' <<<"$help"
  echo '[=OPTIONS]'
  items '^options:' <<<"$help"
  echo '[COMMAND OPTIONS]'
  for command in $commands; do
    command_help=$("$cli" "$command" --help)
    echo ".SS $command"
    printf '.B sokuri\\-cli\n%s\n' "$(usage <<<"$command_help")"
    items '^(Options|Arguments):' <<<"$command_help"
  done
} >"$output.tmp"
mv "$output.tmp" "$output"
