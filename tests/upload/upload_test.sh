#!/usr/bin/env bash
# `lumivex-cli upload` against a real OpenSSH server that this test starts on 127.0.0.1 with a
# host key, an authorized key and a known_hosts of its own.
#   upload_test.sh LUMIVEX-CLI SAMPLES-FOLDER
set -uo pipefail
cli=$1
samples=$2
sshd=/usr/sbin/sshd
if [[ ! -x $sshd ]]; then
  echo "SKIP: $sshd is not installed (scripts/install-deps.sh installs openssh-server)"
  exit 77
fi
source "$(dirname "$0")/start_sshd.sh"
work=$(mktemp -d)
export TMPDIR=$work/tmp XDG_CACHE_HOME=$work/cache HOME=$work/home
mkdir -p "$TMPDIR" "$HOME/.ssh"
unset SSH_AUTH_SOCK
cleanup() {
  stop_sshd "$work/srv"
  stop_sshd "$work/srv2"
  rm -rf "$work"
}
trap cleanup EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# --- the server
start_sshd "$work/srv" || { echo "FAIL: no server"; exit 1; }
ssh-keygen -q -t ed25519 -N '' -C stranger -f "$work/wrong_key"
known="[127.0.0.1]:$port $(cut -d' ' -f1,2 "$work/srv/host_key.pub")"
echo "$known" >"$HOME/.ssh/known_hosts"
site=$work/site
url="sftp://$(id -un)@127.0.0.1:$port$site"

upload() {  # project [more arguments]; output in $work/out and $work/err, status in $status
  "$cli" upload "$@" >"$work/out" 2>"$work/err"
  status=$?
}
publish_locally() {  # project → $work/local (fresh)
  rm -rf "$work/local"
  "$cli" publish "$1" "$work/local" >/dev/null || fail "local publish of $1"
}
same_as_local() {  # what
  # The project file and the report are the designer's, never the web folder's.
  diff -r --exclude=.lumivex-manifest --exclude='*.lvx' --exclude='*_PublishReport.txt' \
    "$work/local" "$site" >/dev/null || fail "$1: the server's folder differs from the local publish"
  [[ -z $(find "$site" -name '*.lvx' -o -name '*_PublishReport.txt') ]] ||
    fail "$1: the project file or the report was sent"
}
no_temporaries() {  # what
  local left
  left=$(find "$site" -name '*.lumivex-tmp-*' 2>/dev/null)
  [[ -z $left ]] || fail "$1: temporary files left: $left"
  [[ ! -e $site/.lumivex-lock ]] || fail "$1: the lock stayed"
}
snapshot() { (cd "$site" && find . -type f -printf '%P %i %s %T@\n' | sort) >"$work/$1"; }
rewritten() { comm -13 "$work/$1" "$work/$2" | cut -d" " -f1; }  # files new or changed since

mkdir -p "$work/project"
cp "$samples"/* "$work/project/"
project=$work/project/Sample.lvx

# --- addresses that cannot be parsed are bad arguments
for bad in "http://127.0.0.1/x" "sftp://127.0.0.1:0/x" "sftp://127.0.0.1:65536/x" \
  "sftp://-oProxyCommand=x/x" "sftp://127.0.0.1" "sftp://127.0.0.1/a%zz"; do
  upload "$project" "$bad"
  [[ $status == 2 ]] || fail "bad address $bad: exit $status: $(cat "$work/err")"
done

# --- an unknown host key: refused with its fingerprint, nothing written anywhere
: >"$HOME/.ssh/known_hosts"
upload "$project" "$url" --identity "$work/srv/client_key"
[[ $status == 1 ]] || fail "unknown host key: exit $status"
fingerprint=$(ssh-keygen -lf "$work/srv/host_key.pub" | cut -d' ' -f2)
grep -qF "$fingerprint" "$work/err" || fail "unknown host key: no fingerprint: $(cat "$work/err")"
[[ ! -e $site ]] || fail "unknown host key: the folder was made"
[[ ! -s $HOME/.ssh/known_hosts ]] || fail "unknown host key: known_hosts was written"

# --- a changed host key: refused, naming the entry to remove even when only ~/.ssh/config has
# the address and the port
echo "[127.0.0.1]:$port $(cut -d' ' -f1,2 "$work/wrong_key.pub")" >"$HOME/.ssh/known_hosts"
printf 'Host lvx-alias\n  HostName 127.0.0.1\n  Port %s\n' "$port" >"$HOME/.ssh/config"
upload "$project" "sftp://$(id -un)@lvx-alias$site" --identity "$work/srv/client_key"
rm "$HOME/.ssh/config"
[[ $status == 1 ]] || fail "changed host key: exit $status"
grep -qF "has changed" "$work/err" && grep -qF "ssh-keygen -R '[127.0.0.1]:$port'" "$work/err" ||
  fail "changed host key: $(cat "$work/err")"
[[ ! -e $site ]] || fail "changed host key: the folder was made"
echo "$known" >"$HOME/.ssh/known_hosts"

# --- a key the server does not take: refused
upload "$project" "$url" --identity "$work/wrong_key"
[[ $status == 1 ]] || fail "wrong key: exit $status"
grep -q "accepted none" "$work/err" || fail "wrong key: $(cat "$work/err")"
[[ ! -e $site ]] || fail "wrong key: the folder was made"

# --- a revoked host key: refused even though known_hosts also holds it, nothing written
printf '%s\n@revoked * %s\n' "$known" "$(cut -d' ' -f1,2 "$work/srv/host_key.pub")" >"$HOME/.ssh/known_hosts"
upload "$project" "$url" --identity "$work/srv/client_key"
[[ $status == 1 ]] && grep -qF "@revoked" "$work/err" || fail "revoked key: exit $status: $(cat "$work/err")"
[[ ! -e $site ]] || fail "revoked key: the folder was made"
echo "$known" >"$HOME/.ssh/known_hosts"

# --- the first upload: the local publish byte for byte
upload "$project" "$url" --identity "$work/srv/client_key"
[[ $status == 0 ]] || fail "first upload: exit $status: $(cat "$work/err")"
publish_locally "$project"
same_as_local "first upload"
no_temporaries "first upload"
[[ -f $site/.lumivex-manifest ]] || fail "first upload: no manifest"

# --- the same again sends nothing and writes nothing
snapshot s1
upload "$project" "$url" --identity "$work/srv/client_key"
[[ $status == 0 ]] || fail "unchanged upload: exit $status: $(cat "$work/err")"
grep -q "^sent " "$work/out" && fail "unchanged upload sent: $(cat "$work/out")"
snapshot s2
[[ -z $(rewritten s1 s2) ]] || fail "unchanged upload rewrote: $(rewritten s1 s2)"

# --- one caption edit: at most 3 files, no slide image
sed -i 's/A calm blue morning/A calm grey morning/' "$project"
upload "$project" "$url" --identity "$work/srv/client_key"
[[ $status == 0 ]] || fail "caption edit: exit $status: $(cat "$work/err")"
snapshot s3
changed=$(rewritten s2 s3)
(($(wc -w <<<"$changed") <= 3)) || fail "caption edit rewrote: $changed"
grep -q 'slider' <<<"$changed" && fail "caption edit rewrote a slide: $changed"
publish_locally "$project"
same_as_local "caption edit"

# --- a removed slide: its file goes, a file of someone else's stays
echo "mine" >"$site/notes.txt"
sed -i '/^Dusk/d' "$project"
upload "$project" "$url" --identity "$work/srv/client_key"
[[ $status == 0 ]] || fail "removed slide: exit $status: $(cat "$work/err")"
[[ ! -e $site/slider3.jpg ]] || fail "removed slide: slider3.jpg is still there"
[[ $(cat "$site/notes.txt" 2>/dev/null) == mine ]] || fail "removed slide: a foreign file went"
rm -f "$site/notes.txt"
publish_locally "$project"
same_as_local "removed slide"

# --- a manifest that is a pipe is no manifest: the upload neither waits nor fails
rm "$site/.lumivex-manifest" && mkfifo "$site/.lumivex-manifest"
timeout 60 "$cli" upload "$project" "$url" --identity "$work/srv/client_key" >"$work/out" 2>"$work/err"
status=$?
[[ $status == 0 ]] || fail "manifest pipe: exit $status: $(cat "$work/err")"
[[ -f $site/.lumivex-manifest ]] || fail "manifest pipe: no manifest written"
same_as_local "manifest pipe"

# --- Ctrl+C in the middle of a large file: every file is the old one, no temporary stays
cp -a "$site" "$work/before"
head -c 96000000 /dev/urandom >"$work/project/wait.gif"
sed -i 's/A calm grey morning/A calm red morning/' "$project"
"$cli" upload "$project" "$url" --identity "$work/srv/client_key" >"$work/out" 2>"$work/err" &
pid=$!
seen=
for _ in $(seq 1000); do
  compgen -G "$site/.wait.gif.lumivex-tmp-*" >/dev/null && { seen=1; break; }
  kill -0 $pid 2>/dev/null || break
  sleep 0.01
done
[[ -n $seen ]] || fail "cancel: the large file was never seen on its way up"
kill -INT $pid 2>/dev/null
wait $pid
status=$?
[[ $status == 130 ]] || fail "cancel: exit $status, expected death by SIGINT: $(cat "$work/err")"
no_temporaries "cancel"
diff -r "$work/before" "$site" >/dev/null || fail "cancel: the server's files changed"
# ... and the next upload completes
upload "$project" "$url" --identity "$work/srv/client_key"
[[ $status == 0 ]] || fail "after cancel: exit $status: $(cat "$work/err")"
publish_locally "$project"
same_as_local "after cancel"
no_temporaries "after cancel"

# --- another upload's lock: refused while it is fresh, taken over once stale
printf 'lumivex upload lock\nowner: someone@elsewhere, process 1\n' >"$site/.lumivex-lock"
upload "$project" "$url" --identity "$work/srv/client_key"
[[ $status == 1 ]] && grep -q "another upload .*someone@elsewhere" "$work/err" ||
  fail "fresh lock: exit $status: $(cat "$work/err")"
touch -d '-11 minutes' "$site/.lumivex-lock"
upload "$project" "$url" --identity "$work/srv/client_key"
[[ $status == 0 ]] || fail "stale lock: exit $status: $(cat "$work/err")"
no_temporaries "stale lock"
printf 'owner: %s@%s, process 99999999\n' "$(id -un)" "$(hostname)" >"$site/.lumivex-lock"
upload "$project" "$url" --identity "$work/srv/client_key"
[[ $status == 0 ]] || fail "lock of a process that is gone: exit $status: $(cat "$work/err")"
no_temporaries "lock of a process that is gone"

large_upload() {  # [environment...]: starts an upload of a new large file, sets $pid once it is
  # on its way up
  head -c 96000000 /dev/urandom >"$work/project/wait.gif"
  env "$@" "$cli" upload "$project" "$url" --identity "$work/srv/client_key" >"$work/out" \
    2>"$work/err" &
  pid=$!
  for _ in $(seq 1000); do
    compgen -G "$site/.wait.gif.lumivex-tmp-*" >/dev/null && return 0
    sleep 0.01
  done
  fail "the large file was never seen on its way up"
}

# --- a second project into the same folder while an upload runs: refused, and the first
# completes whole
sed "s/A calm red morning/Another show/" "$project" >"$work/project/Other.lvx"
large_upload
kill -STOP $pid  # holds the first upload in the middle, lock taken
upload "$work/project/Other.lvx" "$url" --identity "$work/srv/client_key"
kill -CONT $pid
[[ $status == 1 ]] && grep -q "another upload" "$work/err" ||
  fail "concurrent: the second upload: exit $status: $(cat "$work/err")"
wait $pid
status=$?
[[ $status == 0 ]] || fail "concurrent: the first upload: exit $status: $(cat "$work/err")"
publish_locally "$project"
same_as_local "concurrent"
[[ ! -e $site/Other.html ]] || fail "concurrent: the second project's page was sent"
no_temporaries "concurrent"

# --- the server's session stops in the middle of a file: exit 1 once the time limit passes,
# every file as it was, and what the upload left is taken away over a new connection
rm -rf "$work/before" && cp -a "$site" "$work/before"
large_upload LUMIVEX_UPLOAD_TIMEOUT=2
sessions=$(pgrep -P "$(cat "$work/srv/sshd.pid")")
sessions="$sessions $(for s in $sessions; do pgrep -P "$s"; done)"
kill -STOP $sessions
started=$(date +%s%N)
wait $pid
status=$?
kill -CONT $sessions
echo "stalled server: exit $status $((($(date +%s%N) - started) / 1000000)) ms after the server stopped (limit 2 s)"
[[ $status == 1 ]] && grep -q "the server stopped answering" "$work/err" ||
  fail "stalled server: exit $status: $(cat "$work/err")"
no_temporaries "stalled server"
diff -r "$work/before" "$site" >/dev/null || fail "stalled server: the server's files changed"

# --- a server without OpenSSH's atomic rename: the old copy steps aside, also over one left
# aside by an upload cut short there
stop_sshd "$work/srv"
SFTP_OPTIONS="-P posix-rename" start_sshd "$work/srv2" || { echo "FAIL: no second server"; exit 1; }
echo "[127.0.0.1]:$port $(cut -d' ' -f1,2 "$work/srv2/host_key.pub")" >"$HOME/.ssh/known_hosts"
sed -i 's/A calm red morning/A calm gold morning/' "$project"
echo stale >"$site/Samplecfg.js.lumivex-old"
upload "$project" "sftp://$(id -un)@127.0.0.1:$port$site" --identity "$work/srv2/client_key"
[[ $status == 0 ]] || fail "plain rename: exit $status: $(cat "$work/err")"
publish_locally "$project"
same_as_local "plain rename"
no_temporaries "plain rename"
[[ -z $(find "$site" -name '*.lumivex-old') ]] || fail "plain rename: an old copy stayed"

if ((failures)); then
  echo "$failures failed"
  exit 1
fi
echo "upload: all cases passed"
