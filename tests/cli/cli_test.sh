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
mounts=()
cleanup() {
  local m
  for m in "${mounts[@]}"; do umount "$m" 2>/dev/null; done
  rm -rf "$work"
}
trap cleanup EXIT
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

# --- helpers for the cases below
sample=$samples/Sample.lvx
# A process id that is certainly dead: a child that has been waited for.
dead_pid() {
  sh -c 'exit 0' &
  local pid=$!
  wait "$pid"
  echo "$pid"
}
# Names and checksums of a folder's files, to tell that a run left it as it was.
snapshot() { (cd "$1" && find . -type f -exec md5sum {} + | sort) 2>/dev/null; }
# The project $3 with settings field $1 (counted from 0) set to $2.
with_setting() {
  V=$2 awk -v i="$1" 'BEGIN { RS = "\r\n"; ORS = "\r\n" }
    prev == "<Applet_Parameters>" {
      n = split($0, f, /#[$]@/)
      $0 = ""
      for (j = 1; j < n; j++) $0 = $0 (j - 1 == i ? ENVIRON["V"] : f[j]) "#$@"
    }
    { prev = $0; print }' "$3"
}
# Waits while process $1 runs until a path matches $2; false when it ended first.
wait_for() {
  while kill -0 "$1" 2>/dev/null; do
    compgen -G "$2" >/dev/null && return 0
    sleep 0.01
  done
  return 1
}
is_root() { [[ $(id -u) == 0 ]]; }
# Mounts a tmpfs of size $2 on folder $1 (made when missing); false when that is not possible.
mount_small() {
  mkdir -p "$1"
  mount -t tmpfs -o "size=$2" lumivex-test "$1" 2>/dev/null || return 1
  mounts+=("$1")
}

# --- near-projects and files that are no project: refused at once, nothing written, the file
# itself untouched even when the target is its own folder
make_near() {  # kind path
  case $1 in
    damaged) sed 's/^<Applet_Parameters>\r$/<Applet_Parameters> \r/' "$sample" >"$2" ;;
    text) printf 'Dear reader,\nthis is a letter, not a slideshow.\n' >"$2" ;;
    empty) : >"$2" ;;
    cut) sed '/^<\/Item_Parameters>/,$d' "$sample" >"$2" ;;
    large) cp "$sample" "$2" && truncate -s $((64 * 1024 * 1024 + 1)) "$2" ;;
    flood) {
      sed '/^<\/Item_Parameters>/,$d' "$sample"
      head -c 2000000 /dev/zero | tr '\0' '\r'
      printf '</Item_Parameters>\r\n'
    } >"$2" ;;
    fifo) mkfifo "$2" ;;
    folder) mkdir "$2" ;;
  esac
}
near_cases=(
  "damaged|not a project"
  "text|not a project"
  "empty|not a project"
  "cut|the project is incomplete"
  "large|larger than 64 MiB"
  "flood|at most 200000 items"
  "fifo|not a regular file"
  "folder|Is a directory"
  "/proc/self/status|not a project"
  "/dev/zero|not a regular file"
)
for row in "${near_cases[@]}"; do
  IFS='|' read -r kind message <<<"$row"
  targets=("$work/near-site")
  if [[ $kind == /* ]]; then
    project=$kind
  else
    mkdir -p "$work/near/$kind"
    project=$work/near/$kind/Show.lvx
    make_near "$kind" "$project"
    targets+=("$work/near/$kind")
    before=$(snapshot "$work/near/$kind")
  fi
  for target in "${targets[@]}"; do
    start=$EPOCHREALTIME
    expect_exit 1 "near-project $kind into $target" timeout 2 "$cli" publish "$project" "$target"
    ms=$(((${EPOCHREALTIME/./} - ${start/./}) / 1000))
    ((ms < 1000)) || fail "near-project $kind took $ms ms"
    expect_err "$message"
  done
  [[ ! -e "$work/near-site" ]] || fail "near-project $kind: the target folder was created"
  if [[ $kind != /* ]]; then
    [[ "$(snapshot "$work/near/$kind")" == "$before" ]] || fail "near-project $kind: its folder changed"
  fi
done
rm -rf "$work/near"

# --- settings that would run script or add style rules are refused, naming the field
hostile_settings=(
  "2|(window.x=1,65)|SlideInfoOpacity"
  "3|3000,0,0,0,0,0,0);alert(1);//|RotateDelay"
  "5|50);document.title=1;(1|StepImageTransition"
  "10|400px; } body { display: none|SlideShowWidth"
  "12|1000</style><script>alert(1)</script>|SlideShowZIndex"
  "13|000000; } * { color: red|SlideShowBackgroundColor"
  "19|000000;} body { background: red|SlideInfoBgColor"
  "26|FFFF00 } body { background: url(http://127.0.0.1:9/)|SlideInfoTitleColor"
  "37|0;} x {|SlideInfoDescPaddingLeft"
)
cp -r "$samples" "$work/hostile"
for row in "${hostile_settings[@]}"; do
  IFS='|' read -r index value field <<<"$row"
  with_setting "$index" "$value" "$sample" >"$work/hostile/Sample.lvx"
  before=$(snapshot "$work/hostile")
  for target in "$work/hostile-site" "$work/hostile"; do
    expect_exit 1 "hostile $field into $target" "$cli" publish "$work/hostile/Sample.lvx" "$target"
    expect_err "$field"
  done
  [[ -z "$(ls -A "$work/hostile-site" 2>/dev/null)" ]] || fail "hostile $field: files were written"
  [[ "$(snapshot "$work/hostile")" == "$before" ]] || fail "hostile $field: the project's folder changed"
done
# Font lists as the panel writes them stay exactly as they are.
for value in 'Verdana,Ms Sans Serif,Georgia' '"Times New Roman", '"'Segoe UI'"',serif' 'Noto Sans CJK JP'; do
  with_setting 21 "$value" "$sample" >"$work/hostile/Sample.lvx"
  expect_exit 0 "font list $value" "$cli" publish "$work/hostile/Sample.lvx" "$work/fonts"
  grep -qaxF "font-family: $value;" "$work/fonts/Sample.css" || fail "font list '$value' not written as it is"
done
rm -rf "$work/hostile" "$work/hostile-site" "$work/fonts"

# --- a full disk: the failing file is named with the system's reason, and a folder that held a
# publish still holds exactly that one, with no temporary left
if ! is_root; then
  echo "cli: skipping the full-disk checks: they mount a small tmpfs, which needs root"
else
  for big in wait.gif slider2.jpg; do
    full=$work/full-$big
    if ! mount_small "$full" 1m; then
      echo "cli: skipping the full-disk checks: mounting a tmpfs failed"
      break
    fi
    rm -rf "$work/bigger"
    cp -r "$samples" "$work/bigger"
    head -c 2000000 /dev/urandom >"$work/bigger/$big"
    expect_exit 0 "publish into a small disk" "$cli" publish "$sample" "$full"
    before=$(snapshot "$full")
    expect_exit 1 "publish $big into a full disk" "$cli" publish "$work/bigger/Sample.lvx" "$full"
    expect_err "$full/"
    expect_err "No space left on device"
    [[ "$(snapshot "$full")" == "$before" ]] || fail "a failed publish ($big) changed the folder"
    [[ -z "$(find "$full" -name '*.lumivex-tmp-*')" ]] || fail "a failed publish ($big) left a temporary"
  done
  rm -rf "$work/bigger"
  # A full temporary folder: the runtime's copy (4k) or the slides' copies fail; the real reason
  # is told, and the run leaves nothing there.
  for size in 4k 24k 64k; do
    small=$work/small-tmp-$size
    if ! mount_small "$small" "$size"; then
      echo "cli: skipping the full-TMPDIR checks: mounting a tmpfs failed"
      break
    fi
    TMPDIR=$small expect_exit 1 "publish with a full TMPDIR of $size" "$cli" publish "$sample" "$work/small-$size"
    expect_err "No space left on device"
    grep -qF "was not found" "$work/err" && fail "full TMPDIR of $size reported as a missing runtime"
    [[ -z "$(ls -A "$small")" ]] || fail "full TMPDIR of $size: left $(ls -A "$small")"
    [[ -z "$(find "$work/small-$size" -name '*.html' 2>/dev/null)" ]] \
      || fail "full TMPDIR of $size: a page was published"
  done
fi

# --- killed and interrupted publishes leave nothing behind once the next run is done
if ! command -v convert >/dev/null; then
  echo "cli: skipping the killed-publish and signal checks: ImageMagick's convert is missing"
else
  # Large slides published as they are: copying them takes a while.
  mkdir -p "$work/slow"
  convert -size 4000x3000 xc:gray +noise Random -quality 95 "$work/slow/photo.jpg"
  {
    sed '/^<Item_Parameters>/q' "$sample"
    for k in $(seq 0 11); do
      ln "$work/slow/photo.jpg" "$work/slow/photo$k.jpg"
      printf 'Photo %s#$@#$@_self#$@#$@#$@0#$@#$@#$@-1#$@photo%s.jpg#$@#$@400#$@300#$@\r\n' "$k" "$k"
    done
    printf '</Item_Parameters>\r\n'
  } >"$work/slow/Slow.lvx"

  target=$work/killed
  "$cli" publish "$work/slow/Slow.lvx" "$target" >/dev/null 2>&1 &
  killed=$!
  wait_for "$killed" "$target/.*.lumivex-tmp-*"
  kill -9 "$killed" 2>/dev/null
  { wait "$killed"; } 2>/dev/null
  if [[ -z "$(find "$target" -name '*.lumivex-tmp-*' 2>/dev/null)" ]]; then
    mkdir -p "$target"
    : >"$target/.x.lumivex-tmp-$(dead_pid)-abcdef"
  fi
  # Another run's files and private folders stay while it lives; so do another user's.
  : >"$target/.y.lumivex-tmp-$$-abcdef"
  stale_folders=("$(dead_pid)-abcdef|gone" "$$-abcdef|kept")
  if is_root; then
    stale_folders+=("$(dead_pid)-nobody|kept")
  fi
  for row in "${stale_folders[@]}"; do
    IFS='|' read -r suffix _ <<<"$row"
    mkdir "$TMPDIR/lumivex-cli-$suffix"
    [[ $suffix == *-nobody ]] && chown 65534 "$TMPDIR/lumivex-cli-$suffix"
  done
  expect_exit 0 "publish after a killed one" "$cli" publish "$sample" "$target"
  [[ -z "$(find "$target" -name '*.lumivex-tmp-*' ! -name ".y.lumivex-tmp-$$-abcdef")" ]] \
    || fail "stale temporaries remain: $(find "$target" -name '*.lumivex-tmp-*')"
  [[ -e "$target/.y.lumivex-tmp-$$-abcdef" ]] || fail "a live run's temporary was removed"
  [[ -z "$(compgen -G "$TMPDIR/lumivex-cli-$killed-*")" ]] || fail "the killed run's private folder remains"
  for row in "${stale_folders[@]}"; do
    IFS='|' read -r suffix want <<<"$row"
    got=gone
    [[ -e "$TMPDIR/lumivex-cli-$suffix" ]] && got=kept
    [[ $got == "$want" ]] || fail "private folder lumivex-cli-$suffix: $got, expected $want"
    rm -rf "${TMPDIR:?}/lumivex-cli-$suffix"
  done
  rm -rf "$target"

  # A signal mid-run, while the slides are read in or while the target's files are written:
  # the private folder and the temporaries go, and the signal ends the process.
  for row in "INT|private" "TERM|target" "HUP|private"; do
    IFS='|' read -r sig phase <<<"$row"
    target=$work/signal-$sig
    "$cli" publish "$work/slow/Slow.lvx" "$target" >/dev/null 2>&1 &
    pid=$!
    if [[ $phase == private ]]; then
      wait_for "$pid" "$TMPDIR/lumivex-cli-$pid-*"
    else
      wait_for "$pid" "$target/.*.lumivex-tmp-*"
    fi
    kill -s "$sig" "$pid" 2>/dev/null
    { wait "$pid"; } 2>/dev/null
    status=$?
    ((status == 128 + $(kill -l "$sig"))) || fail "SIG$sig: exit status $status"
    [[ -z "$(compgen -G "$TMPDIR/lumivex-cli-$pid-*")" ]] || fail "SIG$sig: private folder left"
    [[ -z "$(find "$target" -name '*.lumivex-tmp-*' 2>/dev/null)" ]] || fail "SIG$sig: temporaries left"
    rm -rf "$target"
  done
  rm -rf "$work/slow"
fi

# --- new: photos and folders become a project as Add Photos makes it, saved without publishing
ph=$work/photos
mkdir -p "$ph/album/deeper" "$work/empty-folder"
convert -size 64x48 xc:navy "$ph/album/img10.jpg"
convert -size 64x48 xc:teal "$ph/album/Img2.png"
cp "$samples/slider0.jpg" "$ph/album/deeper/"  # a subfolder's photos stay out
: >"$ph/album/notes.txt"
cp "$samples/slider1.jpg" "$ph/single.jpg"
head -c 300 /dev/urandom >"$work/damaged.jpg"
# Titles: the file name, or the photo's own caption.
exiftool -q -overwrite_original -ImageDescription='Harbour at dusk' "$ph/single.jpg"
titles() { sed -n '/^<Item_Parameters>\r$/,/^<\/Item_Parameters>\r$/{/^</!p}' "$1" | awk -F'#[$]@' '{print $1}' | tr '\n' '|'; }
field() { sed -n '12p' "$2" | awk -F'#[$]@' -v i="$1" '{print $(i + 1)}'; }
mkdir -p "$work/made"
expect_exit 0 "new from a folder and a file" "$cli" new "$ph/single.jpg" "$ph/album" "$work/made/Show.lvx"
[[ "$(titles "$work/made/Show.lvx")" == "Img2|img10|Harbour at dusk|" ]] || fail "new: titles and order '$(titles "$work/made/Show.lvx")'"
grep -qaF "$ph/album/Img2.png#\$@" "$work/made/Show.lvx" || fail "new: the photo's absolute path is not kept"
[[ "$(ls "$work/made")" == Show.lvx ]] || fail "new published something: $(ls "$work/made")"
expect_exit 0 "publish a new project" "$cli" publish "$work/made/Show.lvx" "$work/made-site"
[[ -f "$work/made-site/Show.html" && -f "$work/made-site/slider2.jpg" && ! -e "$work/made-site/slider3.jpg" ]] ||
  fail "published new project: $(ls "$work/made-site" | tr '\n' ' ')"

# A template's settings and loading image, a size and a web output of one's own.
template=$samples/../templates/Gallery_960x400.lvx
template_name=$template
[[ -d "$(dirname "$cli")/templates" ]] && template_name=gallery_960X400
mkdir -p "$work/styled"
expect_exit 0 "new on a template" "$cli" new "$ph/album" "$work/styled/Show.lvx" --template "$template_name" \
  --size 640x200 --web-output=Modern
[[ "$(field 0 "$work/styled/Show.lvx")|$(field 10 "$work/styled/Show.lvx")x$(field 11 "$work/styled/Show.lvx")" == "$(field 0 "$template")|640x200" ]] ||
  fail "new on a template: id and size $(sed -n 12p "$work/styled/Show.lvx" | head -c 80)"
grep -qa '^WebOutput=Modern' "$work/styled/Show.lvx" || fail "new: --web-output not kept"
cmp -s "$samples/../templates/gallery_wait.gif" "$work/styled/gallery_wait.gif" || fail "new: the template's loading image is not beside the project"
[[ "$(titles "$work/styled/Show.lvx")" == "Img2|img10|" ]] || fail "new on a template kept its slides: $(titles "$work/styled/Show.lvx")"
expect_exit 0 "publish a new project on a template" "$cli" publish "$work/styled/Show.lvx" "$work/styled-site"
[[ -f "$work/styled-site/gallery_wait.gif" && -f "$work/styled-site/slider1.jpg" ]] || fail "published template project: $(ls "$work/styled-site" | tr '\n' ' ')"

# Bad input: a clear message, the exit status, and nothing written.
printf 'kept\n' >"$work/made/Kept.lvx"
new_refusals=(
  "2|'new' takes photos or folders|$work/made/N.lvx"
  "2|'new' takes photos or folders|$ph/album $work/made/N.txt"
  "1|$work/nope.jpg: No such file or directory|$work/nope.jpg $ph/album $work/made/N.lvx"
  "1|not a photo|$ph/album/notes.txt $work/made/N.lvx"
  "1|$work/damaged.jpg|$ph/album $work/damaged.jpg $work/made/N.lvx"
  "1|no photos|$work/empty-folder $work/made/N.lvx"
  "1|exists already|$ph/album $work/made/Kept.lvx"
  "2|'--size' takes WIDTHxHEIGHT|$ph/album $work/made/N.lvx --size 640"
  "2|'--size' takes WIDTHxHEIGHT|$ph/album $work/made/N.lvx --size 10000x20"
  "2|'--size' needs a value|$ph/album $work/made/N.lvx --size"
  "2|'--web-output' takes Modern or Classic|$ph/album $work/made/N.lvx --web-output Fancy"
  "2|no template 'Nope'|$ph/album $work/made/N.lvx --template Nope"
  "1|is not a whole project|$ph/album $work/made/N.lvx --template $work/made/Kept.lvx"
)
before=$(snapshot "$work/made")
for row in "${new_refusals[@]}"; do
  IFS='|' read -r want message arguments <<<"$row"
  read -ra argv <<<"$arguments"
  expect_exit "$want" "new ${arguments//$work/}" "$cli" new "${argv[@]}"
  expect_err "$message"
  [[ "$(snapshot "$work/made")" == "$before" ]] || fail "new ${arguments//$work/}: wrote $(ls "$work/made" | tr '\n' ' ')"
done
rm -rf "$ph" "$work/made" "$work/made-site" "$work/styled" "$work/styled-site" "$work/empty-folder"

# --- the private folders of the run are gone
leftovers=$(find "${TMPDIR:-/tmp}" -maxdepth 1 -name 'lumivex-cli-*' -newer "$work/err" 2>/dev/null | head -1)
[[ -z "$leftovers" ]] || fail "left a private folder behind: $leftovers"

if ((failures)); then
  echo "$failures failure(s)"
  exit 1
fi
echo "cli: all checks passed"
