#!/usr/bin/env bash
# The manual pages a build made agree with the programs' --help: every option
# that a program (and each sokuri-cli command) lists is on its page, every
# option the page names is one the program has, and man reads the page
# without a warning.
set -euo pipefail
build=$1
fail() { echo "FAIL: $*" >&2; exit 1; }

# The long and short options named in a text, one a line.
options_in() { grep -oE -- '(^|[^[:alnum:]-])--?[[:alpha:]][[:alnum:]-]*' | sed 's/^[^-]*//' | sort -u; }

for program in sokuri sokuri-cli sokuri-chasen-server sokuri-demo-engine; do
  page=$build/man/$program.1.gz
  [ -f "$page" ] || fail "no manual page $page"
  # The page as text: roff's escaped hyphens and font changes undone.
  text=$(zcat "$page" | sed -e 's/\\-/-/g' -e 's/\\f[BIRP]//g')
  grep -q "^\.TH \"\?${program^^}\"\? \"\?1\"\?" <<<"$text" || fail "$program: the page's title is not ${program^^}(1)"
  help=$(QT_QPA_PLATFORM=offscreen "$build/app/$program" --help)
  if [ "$program" = sokuri-cli ]; then
    for command in $(awk '/^commands:/{on=1;next} /^[^ ]/{on=0} on && /^  [a-z]/{print $1}' <<<"$help"); do
      help+=$'\n'$("$build/app/$program" "$command" --help)
      grep -q "^\.SS \"\?$command\"\?$" <<<"$text" || fail "$program: no section for the command $command"
    done
  fi
  listed=$(options_in <<<"$help")
  named=$(options_in <<<"$text")
  missing=$(comm -23 <(echo "$listed") <(echo "$named"))
  [ -z "$missing" ] || fail "$program: --help lists options the page lacks: $missing"
  unknown=$(comm -13 <(echo "$listed") <(echo "$named"))
  [ -z "$unknown" ] || fail "$program: the page names options the program lacks: $unknown"
  if command -v man >/dev/null; then
    warnings=$(LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 man --warnings -E UTF-8 -l "$page" 2>&1 >/dev/null)
    [ -z "$warnings" ] || fail "$program: man warns: $warnings"
  fi
done
echo "manual page test passed"
