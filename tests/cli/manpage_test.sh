#!/usr/bin/env bash
# lumivex-cli's manual page and its --help name the same commands and options.
#   manpage_test.sh LUMIVEX_CLI MANUAL_PAGE
set -uo pipefail
cli=$1
page=$2
# Options: words starting with "-" after a blank, a bracket, a comma or "|".
options() { grep -oE '(^|[][ ,|(])--?[a-z][a-z0-9-]*' | sed 's/^[][ ,|(]//' | LC_ALL=C sort -u; }
# Commands: the first word of the lines of the help's command list, the headings of the page's.
help=$("$cli" --help) || { echo "FAIL: --help"; exit 1; }
# Rendered without hyphenation on long lines, so that no option is cut.
manual=$(groff -man -Tutf8 -P-cbou -rHY=0 -rLL=300n "$page") || { echo "FAIL: groff $page"; exit 1; }
help_commands=$(sed -n '/^Commands:/,/^$/p' <<<"$help" | grep -oE '^  [a-z][a-z-]+' | tr -d ' ' | sort)
man_commands=$(sed -n '/^COMMANDS/,/^[A-Z]/p' <<<"$manual" | grep -oE '^       [a-z][a-z-]+' | tr -d ' ' | sort)
failures=0
if [[ "$(options <<<"$help")" != "$(options <<<"$manual")" ]]; then
  echo "FAIL: options differ (help, manual page):"
  diff <(options <<<"$help") <(options <<<"$manual")
  failures=1
fi
if [[ -z "$help_commands" || "$help_commands" != "$man_commands" ]]; then
  echo "FAIL: commands differ (help, manual page):"
  diff <(echo "$help_commands") <(echo "$man_commands")
  failures=1
fi
((failures)) && exit 1
echo "manual page: $(wc -w <<<"$help_commands") commands and their options agree with --help"
