#!/usr/bin/env bash
# End-to-end checks of lumivex-cli: exit codes, messages, and the files a publish leaves.
set -uo pipefail
cli=$1
samples=$2
work=$(mktemp -d)
# A temporary folder of this test's own, so the check for leftovers never sees another test's
# run of the tool.
export TMPDIR=$work/tmp
mkdir -p "$TMPDIR"
trap 'rm -rf "$work"' EXIT
export XDG_CACHE_HOME=$work/cache
failures=0

fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
expect_exit() {  # expected-code description command...
  local want=$1 what=$2
  shift 2
  "$@" >"$work/out" 2>"$work/err"
  local got=$?
  [[ $got == "$want" ]] || fail "$what: exit $got, expected $want ($(head -c 300 "$work/err"))"
}
expect_err() { grep -qF -- "$1" "$work/err" || fail "stderr lacks '$1': $(head -c 300 "$work/err")"; }

# --- arguments
expect_exit 0 "help" "$cli" --help
grep -q "^Usage: lumivex-cli" "$work/out" || fail "help text"
expect_exit 2 "no command" "$cli"
expect_err "no command given"
expect_exit 2 "unknown command" "$cli" frobnicate a b
expect_err "unknown command 'frobnicate'"
expect_exit 2 "too few arguments" "$cli" publish only-one
expect_exit 2 "unknown option" "$cli" publish --fast a b
expect_err "unknown option '--fast'"

# --- unreadable and refused files
expect_exit 1 "missing project" "$cli" publish "$work/nope.lvx" "$work/site"
expect_err "$work/nope.lvx"
expect_err "No such file or directory"
printf '<Product_Name>\r\nlumivex\r\n</Product_Name>\r\n' >"$work/other.lvx"
expect_exit 1 "refused product" "$cli" publish "$work/other.lvx" "$work/site2"
expect_err "This file wasn't saved by Lumivex 1.0, open failed!"
expect_err "other.lvx"
printf '<Product_Name>\r\nSomething\r\n</Product_Name>\r\n' >"$work/bad.gms"
expect_exit 1 "refused gms" "$cli" import-gms "$work/bad.gms" "$work/bad.lvx"
expect_err "This file wasn't saved by specified format, open failed!"
[[ ! -e "$work/bad.lvx" ]] || fail "a refused import wrote a project"

# --- publishing the sample into a folder keeps the project's name
expect_exit 0 "publish sample" "$cli" publish "$samples/Sample.lvx" "$work/site"
expected="Sample.css Sample.html Sample.lvx Sample_PublishReport.txt Samplecfg.js lumivex.js slider0.jpg slider1.jpg slider2.jpg slider3.jpg wait.gif"
got=$(cd "$work/site" && ls | sort | tr '\n' ' ' | sed 's/ $//')
[[ "$got" == "$expected" ]] || fail "published files: '$got'"
# every file the report lists is there
while IFS= read -r line; do
  name=${line#  }
  name=${name%$'\r'}
  [[ -f "$work/site/$name" ]] || fail "report lists $name, which is missing"
done < <(grep -a '^  ' "$work/site/Sample_PublishReport.txt")
grep -qa '^  Samplecfg.js' "$work/site/Sample_PublishReport.txt" || fail "report lacks the configuration script"
cmp -s "$samples/slider0.jpg" "$work/site/slider0.jpg" || fail "slide image not carried over"

# --- republishing the published project into another folder gives the same page and scripts
expect_exit 0 "republish" "$cli" publish "$work/site/Sample.lvx" "$work/again/Show.lvx"
for f in Show.html Show.lvx Show_PublishReport.txt Sample.css Samplecfg.js slider3.jpg wait.gif; do
  [[ -f "$work/again/$f" ]] || fail "republish lacks $f"
done
cmp -s "$work/site/Sample.css" "$work/again/Sample.css" || fail "style sheet differs after republish"
cmp -s "$work/site/Samplecfg.js" "$work/again/Samplecfg.js" || fail "script differs after republish"
cmp -s "$work/site/Sample.lvx" "$work/again/Show.lvx" || fail "project file differs after republish"
expect_exit 0 "new folder target" "$cli" publish "$work/site/Sample.lvx" "$work/new/deeper"
[[ -f "$work/new/deeper/Sample.lvx" && -f "$work/new/deeper/Sample.html" ]] || fail "publish into a new folder"

# --- on a terminal the engine's progress is drawn on stderr with its hint texts; elsewhere not
if command -v script >/dev/null; then
  script -qec "'$cli' publish '$samples/Sample.lvx' '$work/tty'" /dev/null >"$work/tty-out"
  grep -qaF "Copying Publishable Files ... ..." "$work/tty-out" || fail "no progress on a terminal"
  grep -qaF "%" "$work/tty-out" || fail "no progress bar on a terminal"
fi
grep -qaF "... ..." "$work/err" && fail "progress drawn although stderr is no terminal"

# --- menu structures
expect_exit 0 "export" "$cli" export-gms "$samples/Sample.lvx" "$work/tree.gms"
head -c 20 "$work/tree.gms" | grep -qa "<Generator_Name>" || fail "gms header"
expect_exit 0 "import" "$cli" import-gms "$work/tree.gms" "$work/imported.lvx"
grep -qa "^Lumivex1#\$@" "$work/imported.lvx" || fail "imported project has default settings"
grep -qa "^Morning Sky#\$@https://example.com/gallery/sky.html#\$@_blank#\$@ToolTip Here#\$@" "$work/imported.lvx" \
  || fail "imported item"

# --- the private folders of the run are gone
leftovers=$(find "${TMPDIR:-/tmp}" -maxdepth 1 -name 'lumivex-cli-*' -newer "$work/err" 2>/dev/null | head -1)
[[ -z "$leftovers" ]] || fail "left a private folder behind: $leftovers"

if ((failures)); then
  echo "$failures failure(s)"
  exit 1
fi
echo "cli: all checks passed"
