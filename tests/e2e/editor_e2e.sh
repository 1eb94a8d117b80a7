#!/usr/bin/env bash
# The real editor under an X server with a window manager, driven by the keyboard alone as a
# user drives it (menus by their access keys, short cuts, the buttons of the boxes, paths typed
# into the file dialogs): open the sample through Ctrl+O, insert an item, move it, give it a
# title, save it under a new name typed without extension; build, publish, delete, save, export,
# undo and redo an insert (Ctrl+Z, Ctrl+Shift+Z, Ctrl+Y) comparing the saves,
# import, start a new project, reopen from the recent files, answering each question on the way;
# then check what the saves published and what the program folder remembers; last, an unsaved
# insert survives kill -9 through the recovery copy and is restored at the next start.
#
# usage: editor_e2e.sh LUMIVEX SAMPLES_FOLDER
# LUMIVEX_E2E_KEEP=1 keeps the temporary folder, with a screenshot of every step, after a pass too.
set -uo pipefail

if [[ ${1:-} != --inner ]]; then
  if (($# != 2)); then
    echo "usage: $0 LUMIVEX SAMPLES_FOLDER" >&2
    exit 2
  fi
  missing=()
  for tool in xvfb-run xauth xdotool openbox; do
    command -v "$tool" >/dev/null || missing+=("$tool")
  done
  if ((${#missing[@]})); then
    echo "FAIL: missing ${missing[*]}; scripts/install-deps.sh installs them" >&2
    exit 1
  fi
  lumivex=$(readlink -f "$1")
  samples=$(readlink -f "$2")
  [[ -x "$lumivex" ]] || { echo "FAIL: no program at $1" >&2; exit 1; }
  [[ -f "$samples/Sample.lvx" ]] || { echo "FAIL: no Sample.lvx in $2" >&2; exit 1; }
  work=$(mktemp -d "${TMPDIR:-/tmp}/lumivex-e2e.XXXXXX")
  xvfb-run -a -e "$work/xvfb.log" -s "-screen 0 1280x1024x24 -nolisten tcp" \
    bash "$0" --inner "$work" "$lumivex" "$samples"
  rc=$?
  if ((rc == 0)) && [[ ${LUMIVEX_E2E_KEEP:-} != 1 ]]; then
    rm -rf "$work"
  else
    echo "kept for inspection: $work (screenshots in $work/shots)"
  fi
  exit "$rc"
fi

# ---- inside the X server
e2e_dir=$(dirname "$(readlink -f "$0")")
work=$2
lumivex=$3
samples=$4
started=$(date +%s%N)
shots=$work/shots
mkdir -p "$shots"
step=0
failures=0
app_pid=
wm_pid=
main=

fail() { echo "FAIL: ${*//$'\r'/}"; failures=$((failures + 1)); }
log() { printf '[%5.1fs] %s\n' "$(($(date +%s%N) - started))e-9" "$*"; }
shot() {
  step=$((step + 1))
  command -v import >/dev/null && import -window root "$shots/$(printf %02d "$step")-$1.png" 2>/dev/null
  return 0
}
cleanup() {
  [[ -n $app_pid ]] && kill "$app_pid" 2>/dev/null
  [[ -n $wm_pid ]] && kill "$wm_pid" 2>/dev/null
  wait 2>/dev/null
}
trap cleanup EXIT
die() {
  echo "FAIL: $*"
  shot failure
  echo "windows on screen:"
  for id in $(xdotool search --onlyvisible --name . 2>/dev/null); do
    echo "  $id '$(xdotool getwindowname "$id" 2>/dev/null)'"
  done
  echo "active window: $(xdotool getactivewindow 2>/dev/null)"
  [[ -s "$work/lumivex.log" ]] && { echo "editor output:"; tail -n 20 "$work/lumivex.log"; }
  exit 1
}
# wait_for SECONDS WHAT COMMAND...: polls COMMAND until it succeeds.
wait_for() {
  local limit=$1 what=$2
  shift 2
  local deadline=$(($(date +%s) + limit))
  until "$@"; do
    (($(date +%s) < deadline)) || die "gave up after ${limit}s waiting for $what"
    sleep 0.1
  done
}
# The item lines of a project file: those between the two tags of the item section.
items() { sed -n '/^<Item_Parameters>\r$/,/^<\/Item_Parameters>\r$/{/^</!p}' "$1"; }
visible_named() { xdotool search --onlyvisible --name "^$1\$" 2>/dev/null; }
active() { xdotool getactivewindow 2>/dev/null; }
app_running() { kill -0 "$app_pid" 2>/dev/null; }
main_active() {
  app_running || die "the editor ended unexpectedly"
  local focused
  focused=$(active)
  [[ $focused == "$main" ]] && return 0
  # The main window under a new id (its native window recreated): follow it.
  [[ -n $focused && $(xdotool getwindowname "$focused" 2>/dev/null) == Lumivex ]] || return 1
  main=$focused
}
# A dialog counts as up when a window of that title other than the main window has the focus.
dialog_active() {
  app_running || die "the editor ended unexpectedly"
  local id focused
  focused=$(active)
  for id in $(visible_named "$1"); do
    [[ $id != "$main" && $id == "$focused" ]] && return 0
  done
  return 1
}
dialog_gone() { ! dialog_active "$1" && main_active; }
expect_dialog() {
  wait_for 15 "the window '$1'" dialog_active "$1"
  shot "$(tr -c 'A-Za-z0-9\n' - <<<"$1")"
}
# answer TITLE KEYS...: the window TITLE comes up, takes the keys and goes.
answer() {
  local title=$1
  shift
  expect_dialog "$title"
  keys "$@"
  wait_for 15 "the window '$title' to close" dialog_gone "$title"
}
keys() { xdotool key --delay 60 "$@"; }
# The editor's menus on screen; a key sent before its menu is up would go to the window beneath.
menus_open() {
  local id count=0
  for id in $(xdotool search --onlyvisible --pid "$app_pid" 2>/dev/null); do
    # Shown again, a menu no longer says it is one; it still bypasses the window manager.
    xwininfo -id "$id" 2>/dev/null | grep -q 'Override Redirect State: yes' && count=$((count + 1))
  done
  ((count >= $1))
}
# menu LETTER KEYS...: opens the menu of that access key, then walks it (a key that opens a
# submenu waits for it too).
menu() {
  keys "alt+$1"
  shift
  local depth=1 key
  for key in "$@"; do
    wait_for 10 "menu $depth to open" menus_open "$depth"
    keys "$key"
    depth=$((depth + 1))
  done
}
typed() { xdotool type --delay 15 -- "$1"; }

# ---- a private world: home, settings, data, cache, program folder, a copy of the sample
export HOME=$work/home XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data \
  XDG_CACHE_HOME=$work/cache XDG_RUNTIME_DIR=$work/runtime QTWEBENGINE_DISABLE_SANDBOX=1
# The editor as a desktop shows it, with Qt's own dialogs whatever the calling shell prefers.
unset QT_QPA_PLATFORM QT_QPA_PLATFORMTHEME QT_STYLE_OVERRIDE QT_SCALE_FACTOR
mkdir -p "$HOME" "$XDG_DATA_HOME" "$XDG_CACHE_HOME" "$XDG_CONFIG_HOME/ZQX"
mkdir -m 700 "$XDG_RUNTIME_DIR"
printf '[1.0]\nSettings\\ShowTempletsDialog=0\n' >"$XDG_CONFIG_HOME/ZQX/Lumivex.conf"

# The editor keeps recentfile.dat and preview/ in its program folder; a copy keeps them private.
program_from=$(dirname "$lumivex")
prog=$work/program
mkdir -p "$prog"
if ! cp "$lumivex" "$prog/lumivex" || ! cp "$program_from/lumivex.js" "$prog/lumivex.js"; then
  die "cannot lay out the program folder from $program_from"
fi
for folder in help samples templates; do
  [[ -e "$program_from/$folder" ]] && ln -s "$(readlink -f "$program_from/$folder")" "$prog/$folder"
done

source_folder=$work/sample
mkdir -p "$source_folder"
cp "$samples"/Sample.lvx "$samples"/*.jpg "$samples"/*.gif "$source_folder/" || die "cannot copy the sample"
project=$source_folder/Sample.lvx
# A fresh, empty folder with a blank in its name; the dialog gets the name without extension.
site="$work/published site"
mkdir -p "$site"
saved_as=$site/Show
title="Harbour Lights"

# ---- window manager, then the editor
openbox >"$work/openbox.log" 2>&1 &
wm_pid=$!
wm_up() { command -v wmctrl >/dev/null && { wmctrl -m >/dev/null 2>&1; return; }
  xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; }
wait_for 15 "openbox" wm_up
log "openbox is up"

# The preview's page is read through the web engine's remote debugging port.
debug_port=$((20000 + $$ % 20000))
(cd "$work" && QTWEBENGINE_REMOTE_DEBUGGING=127.0.0.1:$debug_port exec "$prog/lumivex") \
  >"$work/lumivex.log" 2>&1 &
app_pid=$!
main_window() {
  app_running || die "the editor ended at start"
  main=$(visible_named Lumivex | head -n 1)
  [[ -n $main ]]
}
wait_for 30 "the main window" main_window
xdotool windowactivate --sync "$main" >/dev/null 2>&1
wait_for 10 "the main window to take the focus" main_active
shot started
log "main window $main"

# ---- Open through Ctrl+O, the path typed into the file dialog
keys ctrl+o
wait_for 15 "the Open dialog" dialog_active Open
shot open-dialog
typed "$project"
shot open-typed
keys Return
wait_for 15 "the Open dialog to close" dialog_gone Open
recent_written() { [[ -s "$prog/recentfile.dat" ]]; }
wait_for 15 "the opened file in the recent files list" recent_written
shot opened
log "opened $project"

# ---- Insert with the Item menu's access keys (the root is selected after an open)
menu i n
shot inserted
# The new item is the last node; select it with the arrow keys, then move it up one place.
sample_items=$(items "$project" | wc -l)
((sample_items >= 2)) || die "the sample has $sample_items items; the test needs two or more"
for ((i = 0; i <= sample_items; i++)); do keys Down; done
shot new-item-selected
menu i u
shot moved-up
# From the tree, Tab leads through the Item page to the title edit, whose text it selects.
for ((i = 0; i < 9; i++)); do keys Tab; done
typed "$title"
shot title-typed
log "inserted, moved and titled an item"

# ---- The live preview (F9) shows the selected slide held, with the title just typed. Escape
# leaves the title edit for the tree; the window stays.
keys Escape
keys F9
page_caption() {
  node --experimental-websocket "$e2e_dir/page_value.mjs" "$debug_port" \
    "(document.querySelector('[class*=_SlideInfoTitle]') || {}).textContent" 2>/dev/null
}
caption_shown() { [[ "$(page_caption)" == "\"$title\"" ]]; }
wait_for 30 "the preview to show the typed title" caption_shown
shot preview-shows-title
keys F9
# The first web view in the window made the toolkit recreate its native window: a new id.
main=$(visible_named Lumivex | head -n 1)
wait_for 10 "the main window to take the focus" main_active
log "the preview showed the typed title"

# ---- Save As through its access key
menu f a
expect_dialog "Save As"
typed "$saved_as"
shot save-typed
keys Return
wait_for 15 "the Save As dialog to close" dialog_gone "Save As"
log "saved as $saved_as"

# ---- Build HTML with items; its window comes up once the save has finished, so the published
# folder is complete now and later saves may replace it.
menu s h
expect_dialog HTML
cp -a "$site" "$work/saved-as"
answer HTML Escape
log "built the page"

# ---- Publish shows the report that it wrote into the preview folder
menu s b
expect_dialog "Applet Publish Report"
cp "$prog/preview/PublishReport.txt" "$work/publish-report.txt" 2>/dev/null ||
  fail "Publish wrote no preview/PublishReport.txt"
answer "Applet Publish Report" Escape
log "published"

# ---- Delete the titled item, declined once, then confirmed. Save writes the name that Save As
# chose.
menu i d
answer Lumivex n
menu i d
answer Lumivex y
keys ctrl+s
# The menu's access keys typed while a save runs would be held for afterwards, and a menu does
# not open from held keys: the save ends first, as a user sees it end.
saved_after_delete() { (($(items "$site/Show.lvx" | wc -l) == sample_items)); }
wait_for 30 "the save after the delete" saved_after_delete
sleep 1
log "deleted the item and saved"

# ---- Export the item tree under a name without extension
mkdir -p "$work/exchange"
menu f e
expect_dialog "Save As"
cp "$site/Show.lvx" "$work/after-delete.lvx"  # the Save before has finished
typed "$work/exchange/tree"
keys Return
wait_for 15 "the export dialog to close" dialog_gone "Save As"
log "exported"

# ---- Undo and Redo with the keyboard: an insert taken back and done again. Undone, the project is
# clean (Save has nothing to do); redone and saved, the file holds it; undone and saved again, the
# file holds the very bytes it held before.
same_as_before() { cmp -s "$site/Show.lvx" "$work/after-delete.lvx"; }
one_more() { (($(items "$site/Show.lvx" | wc -l) == $(items "$work/after-delete.lvx" | wc -l) + 1)); }
menu i n
keys ctrl+z ctrl+s
shot undone
same_as_before || fail "Undo and Save changed the saved project"
keys ctrl+shift+z ctrl+s
wait_for 15 "the redone insert in the saved project" one_more
keys ctrl+z ctrl+s
wait_for 15 "the saved project as before the insert" same_as_before
keys ctrl+y ctrl+z ctrl+s
wait_for 15 "the saved project as before the insert" same_as_before
log "undid and redid an insert"

# ---- Import, after the question answered Yes (which saves), the exported tree; add an item and
# save: the save goes to the project file that was current before the import.
menu i n
menu f i
expect_dialog Lumivex
keys y
expect_dialog Open
typed "$work/exchange/tree.gms"
keys Return
wait_for 15 "the import dialog to close" dialog_gone Open
menu i n
keys ctrl+s
log "imported and saved"

# ---- New: Cancel in its question keeps the project, No drops it; Build HTML then has no item
menu i n
keys ctrl+n
answer Lumivex Escape
keys ctrl+n
answer Lumivex n
menu s h
expect_dialog Lumivex  # "No item to build.", then the window with the last build
keys Return
answer HTML Escape
log "new project, refused build"

# ---- The recent files list reopens the sample; then the question before Open, answered No, and
# a cancelled Open dialog
menu f r 1
menu i n
keys ctrl+o
expect_dialog Lumivex
keys n
answer Open Escape
log "reopened from the recent files"

# ---- the exit question: Cancel keeps the window, No closes it
menu f x
answer Lumivex Escape
sleep 0.3
app_running || die "Cancel in the exit question ended the editor"
[[ -n $(visible_named Lumivex) ]] || die "Cancel in the exit question closed the window"
shot exit-cancelled
menu f x
expect_dialog Lumivex
keys n
app_ended() { ! app_running; }
wait_for 20 "the editor to end after No" app_ended
wait "$app_pid"
rc=$?
app_pid=
((rc == 0)) || die "the editor ended with status $rc"
log "the editor ended"

# ---- a crash: an unsaved insert is copied within 30 s, survives kill -9 and is offered again
recovery=$XDG_DATA_HOME/lumivex/recovery
[[ -z $(ls -A "$recovery" 2>/dev/null) ]] || fail "a clean exit left a recovery copy: $(ls "$recovery")"
(cd "$work" && exec "$prog/lumivex") >"$work/lumivex-crash.log" 2>&1 &
app_pid=$!
wait_for 30 "the main window after the restart" main_window
xdotool windowactivate --sync "$main" >/dev/null 2>&1
wait_for 10 "the main window to take the focus" main_active
menu i n
copied() { grep -qa '^Item#\$@' "$recovery/$app_pid.lvx" 2>/dev/null; }
wait_for 40 "the recovery copy of the insert" copied
kill -9 "$app_pid"
wait "$app_pid" 2>/dev/null
[[ -f $recovery/$app_pid.lvx ]] || fail "kill -9 took the recovery copy with it"
crashed=$app_pid
(cd "$work" && exec "$prog/lumivex") >"$work/lumivex-restored.log" 2>&1 &
app_pid=$!
# The question comes over the main window as soon as it is shown; Return is its first button.
named_count() { visible_named Lumivex | wc -l; }
question_up() { app_running || die "the editor ended after the crash"; (($(named_count) >= 2)); }
wait_for 30 "the restore question" question_up
shot recovery-offered
sleep 0.5
keys Return
question_gone() { (($(named_count) == 1)); }
wait_for 15 "the restore question to close" question_gone
main_window
xdotool windowactivate --sync "$main" >/dev/null 2>&1
restored_copy() { [[ ! -e $recovery/$crashed.lvx ]] && grep -qa '^Item#\$@' "$recovery/$app_pid.lvx" 2>/dev/null; }
wait_for 40 "the restored project as the new copy" restored_copy
# A clean exit without saving takes the copy with it.
menu f x
expect_dialog Lumivex
keys n
wait_for 20 "the editor to end after the restore" app_ended
wait "$app_pid" 2>/dev/null
app_pid=
[[ -z $(ls -A "$recovery" 2>/dev/null) ]] || fail "the recovery copy outlived a clean exit: $(ls "$recovery")"
log "an unsaved edit survived kill -9"

# ---- the files
settings() { grep -a -A1 '^<Applet_Parameters>' "$1" | tail -n 1; }
title_of() { printf '%s' "${1%%'#$@'*}"; }
# check_items FILE LINES...: the item lines of the project FILE are exactly LINES.
check_items() {
  local file=$1 i line seps
  shift
  local want=("$@") got
  mapfile -t got < <(items "$file")
  ((${#got[@]} == ${#want[@]})) || fail "$(basename "$file") holds ${#got[@]} items, expected ${#want[@]}"
  for ((i = 0; i < ${#want[@]}; i++)); do
    [[ "${got[i]-}" == "${want[i]}" ]] ||
      fail "item line $((i + 1)) of $(basename "$file"): '${got[i]-}', expected '${want[i]}'"
  done
  for line in "${got[@]}"; do
    [[ $line == *'#$@'$'\r' ]] || fail "item line not ending with the separator and CR LF: '$line'"
    seps=$(grep -o '#\$@' <<<"$line" | wc -l)
    ((seps == 13)) || fail "item line with $seps separators: '$line'"
  done
  line=$(grep -ac -v $'\r$' "$file")
  ((line == 0)) || fail "$line line(s) of $(basename "$file") do not end with CR LF"
}
mapfile -t old_items < <(items "$project")
new_item() {
  printf '%s' "$1#\$@javascript:void(0)#\$@_self#\$@ToolTip Here#\$@Description Here#\$@0#\$@#\$@#\$@-1#\$@#\$@#\$@160#\$@120#\$@"$'\r'
}

# Save As published everything beside the project, named after the typed name and the slideshow id.
saved=$work/saved-as
expected="Sample.css Samplecfg.js Show.html Show.lvx Show_PublishReport.txt lumivex.js wait.gif"
for ((i = 0; i < sample_items; i++)); do expected+=" slider$i.jpg"; done
files=$(cd "$saved" && find . -mindepth 1 -printf '%P\n' | LC_ALL=C sort | tr '\n' ' ' | sed 's/ $//')
expected=$(tr ' ' '\n' <<<"$expected" | LC_ALL=C sort | tr '\n' ' ' | sed 's/ $//')
[[ "$files" == "$expected" ]] || fail "published files: '$files', expected '$expected'"
cmp -s "$prog/lumivex.js" "$saved/lumivex.js" || fail "lumivex.js is not the program folder's runtime"
grep -qF 'href="./Sample.css"' "$saved/Show.html" || fail "the page does not link Sample.css"
grep -qF 'src="./Samplecfg.js"' "$saved/Show.html" || fail "the page does not load Samplecfg.js"
grep -qF "'$title'" "$saved/Samplecfg.js" || fail "the configuration script lacks the typed title"
while IFS= read -r line; do
  name=${line#  }
  name=${name%$'\r'}
  [[ -f "$saved/$name" ]] || fail "the report lists $name, which was not published"
done < <(grep -a '^  ' "$saved/Show_PublishReport.txt")
# The project: the sample's settings and items, the new item inserted last and moved up one place.
check_items "$saved/Show.lvx" "${old_items[@]:0:sample_items-1}" "$(new_item "$title")" \
  "${old_items[sample_items-1]}"
[[ "$(settings "$saved/Show.lvx")" == "$(settings "$project")" ]] || fail "the settings line changed on the way"

# Publish showed the same report that the save wrote.
cmp -s "$work/publish-report.txt" "$saved/Show_PublishReport.txt" ||
  fail "the report that Publish showed differs from the one the save wrote"

# Deleting the item and saving gave the sample's items back, under the name Save As chose.
check_items "$work/after-delete.lvx" "${old_items[@]}"

# The export got its extension and holds the sample's items.
gms=$work/exchange/tree.gms
if [[ -f "$gms" ]]; then
  [[ $(head -n 1 "$gms") == "<Generator_Name>"$'\r' ]] || fail "tree.gms lacks its header"
  mapfile -t structure < <(sed -n '/^<Structure_Description>\r$/,/^<\/Structure_Description>\r$/{/^</!p}' "$gms")
  ((${#structure[@]} == sample_items)) || fail "tree.gms holds ${#structure[@]} items, expected $sample_items"
  for ((i = 0; i < sample_items; i++)); do
    [[ "${structure[i]-}" == "0#\$@$(title_of "${old_items[i]}")#\$@"* ]] ||
      fail "tree.gms line $((i + 1)): '${structure[i]-}'"
  done
else
  fail "the export wrote no tree.gms: $(ls "$work/exchange")"
fi

# The imported tree, with one item added, went into the project file current before the import.
final=$site/Show.lvx
mapfile -t final_items < <(items "$final")
((${#final_items[@]} == sample_items + 1)) ||
  fail "Show.lvx after the import holds ${#final_items[@]} items, expected $((sample_items + 1))"
for ((i = 0; i < sample_items; i++)); do
  [[ "$(title_of "${final_items[i]-}")" == "$(title_of "${old_items[i]}")" ]] ||
    fail "imported item $((i + 1)): '${final_items[i]-}'"
done
[[ "${final_items[sample_items]-}" == "$(new_item Item)" ]] ||
  fail "the item added after the import: '${final_items[sample_items]-}'"
[[ "$(settings "$final")" == "Lumivex1#\$@"* ]] ||
  fail "an imported project has the default settings; Show.lvx has '$(settings "$final")'"
[[ ! -e "$site/Show.lvx.lvx" && ! -e "$saved_as" ]] || fail "the name without extension was not completed"

# Only the opened file is in the recent files list (reopening it kept its place).
recent=$(cat "$prog/recentfile.dat")
[[ "$recent" == "&1 $project"$'\r' ]] || fail "recentfile.dat holds '$recent', expected '&1 $project' + CR LF"
cmp -s "$samples/Sample.lvx" "$project" || fail "the opened project was changed"
# Generated files pass through the program folder and leave it; closing empties the preview.
leftovers=$(cd "$prog" && ls -- *.css *cfg.js 2>/dev/null)
[[ -z "$leftovers" ]] || fail "generated files left in the program folder: $leftovers"
if [[ -d "$prog/preview" ]]; then
  remaining=$(find "$prog/preview" -type f | head -n 3)
  [[ -z "$remaining" ]] || fail "the preview folder was not cleared on exit: $remaining"
fi

log "checks done"
if ((failures)); then
  echo "$failures failure(s)"
  exit 1
fi
echo "editor_e2e: all checks passed"
