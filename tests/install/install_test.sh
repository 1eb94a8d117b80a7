#!/usr/bin/env bash
# Installs the build into a temporary prefix, compares the installed files with the expected
# set, then starts the installed editor as an ordinary user would (fresh home, a project named
# on the command line) and checks what it leaves in the user's folders.
#   install_test.sh BUILD_DIR SOURCE_DIR [CMAKE]
set -euo pipefail
build=$1
source=$2
cmake=${3:-cmake}

work=$(mktemp -d)
editor_pid=
cleanup() {
  if [[ -n "$editor_pid" ]] && kill -0 "$editor_pid" 2>/dev/null; then
    kill "$editor_pid" 2>/dev/null || true
    wait "$editor_pid" 2>/dev/null || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "FAIL: $*" >&2
  exit 1
}
list_files() { (cd "$1" && find . \( -type f -o -type l \) -printf '%P\n' | LC_ALL=C sort); }

prefix=$work/prefix
"$cmake" --install "$build" --prefix "$prefix" >"$work/install.log" || {
  cat "$work/install.log" >&2
  fail "cmake --install"
}

bash "$(dirname "$0")/expected_files.sh" "$source" >"$work/expected"
list_files "$prefix" >"$work/installed"
diff -u "$work/expected" "$work/installed" || fail "installed files differ from the expected set"

[[ -x $prefix/bin/lumivex && -x $prefix/bin/lumivex-cli ]] || fail "programs not executable"
cmp "$source/share/lumivex.js" "$prefix/share/lumivex/lumivex.js"
cmp "$source/share/icons/lumivex.svg" "$prefix/share/icons/hicolor/scalable/apps/lumivex.svg"
grep -qx 'Exec=lumivex %f' "$prefix/share/applications/lumivex.desktop" || fail "desktop entry Exec"
grep -qx 'Icon=lumivex' "$prefix/share/applications/lumivex.desktop" || fail "desktop entry Icon"
grep -qx 'MimeType=application/x-lumivex-project;' "$prefix/share/applications/lumivex.desktop" ||
  fail "desktop entry MimeType"

# An ordinary user's first start: nothing in the home folder yet, a project named on the
# command line (so no template chooser waits), its folder name holding a space.
home=$work/home
data=$home/.local/share
mkdir -p "$home" "$work/runtime" "$work/My Projects"
chmod 700 "$work/runtime"
cp -R "$source/share/samples/." "$work/My Projects/"
project="$work/My Projects/Sample.lvx"

env -u QTWEBENGINE_DISABLE_SANDBOX -u XDG_DATA_DIRS -u XDG_CONFIG_DIRS \
  HOME="$home" XDG_CONFIG_HOME="$home/.config" XDG_DATA_HOME="$data" \
  XDG_CACHE_HOME="$home/.cache" XDG_RUNTIME_DIR="$work/runtime" QT_QPA_PLATFORM=offscreen \
  "$prefix/bin/lumivex" "$project" >"$work/editor.log" 2>&1 &
editor_pid=$!

recent=$data/lumivex/recentfile.dat
expected_recent=$(printf '&1 %s\r\n_' "$project")
expected_recent=${expected_recent%_}
for ((i = 0; i < 300; i++)); do
  kill -0 "$editor_pid" 2>/dev/null || {
    cat "$work/editor.log" >&2
    fail "the installed editor ended during start-up"
  }
  [[ -f $recent && "$(cat "$recent"; printf _)" == "${expected_recent}_" ]] && break
  sleep 0.1
done
[[ -f $recent ]] || fail "no $recent after 30 s"
[[ "$(cat "$recent"; printf _)" == "${expected_recent}_" ]] || {
  od -c "$recent" >&2
  fail "recentfile.dat does not name the project"
}
# Still running a moment later: the start-up finished without a crash.
sleep 2
kill -0 "$editor_pid" 2>/dev/null || {
  cat "$work/editor.log" >&2
  fail "the installed editor ended after opening the project"
}
kill "$editor_pid"
wait "$editor_pid" 2>/dev/null || true
editor_pid=

# Its per-user program folder, seeded from the installed data.
folder=$data/lumivex
for runtime in lumivex.js lumivex.min.js; do
  cmp "$prefix/share/lumivex/$runtime" "$folder/$runtime" || fail "$runtime not seeded"
done
[[ -d $folder/templates && ! -L $folder/templates ]] || fail "templates not copied"
diff <(list_files "$prefix/share/lumivex/templates") <(list_files "$folder/templates") ||
  fail "templates copied incompletely"
for linked in help samples; do
  [[ -L $folder/$linked ]] || fail "$linked not linked"
  [[ "$(realpath -e "$folder/$linked")" == "$(realpath -e "$prefix/share/lumivex/$linked")" ]] ||
    fail "$linked links elsewhere than the installed data"
done

# The registration files: the same file type as the installed one, a menu entry running this
# very program.
cmp "$prefix/share/mime/packages/lumivex.xml" "$data/mime/packages/lumivex.xml" ||
  fail "registered file type differs from the installed one"
entry=$data/applications/lumivex.desktop
grep -qxF "Exec=\"$prefix/bin/lumivex\" %f" "$entry" || {
  cat "$entry" >&2
  fail "per-user desktop entry does not run the installed program"
}
diff <(grep -Ev '^(Try)?Exec=' "$prefix/share/applications/lumivex.desktop") <(grep -Ev '^(Try)?Exec=' "$entry") ||
  fail "per-user desktop entry differs from the installed one beyond Exec"

# The installed tree is left as it was: everything the run wrote went to the user's folders.
list_files "$prefix" >"$work/after"
diff -u "$work/installed" "$work/after" || fail "the editor wrote into the installation"
echo "install test passed"
