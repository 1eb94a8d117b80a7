# Sourced by the upload test and benchmark: start_sshd FOLDER starts OpenSSH's server on
# 127.0.0.1 with a host key and an authorized client key of its own, all in FOLDER, and sets
# `port`; SFTP_OPTIONS go to its SFTP server. The server ends with stop_sshd FOLDER.
start_sshd() {
  local dir=$1 p try
  mkdir -p "$dir"
  ssh-keygen -q -t ed25519 -N '' -C host -f "$dir/host_key"
  ssh-keygen -q -t ed25519 -N '' -C client -f "$dir/client_key"
  cp "$dir/client_key.pub" "$dir/authorized_keys"
  # As root, sshd needs its privilege separation folder.
  [[ $(id -u) == 0 ]] && mkdir -p /run/sshd
  port=
  for try in 1 2 3 4 5 6 7 8; do
    p=$((20000 + RANDOM % 40000))
    cat >"$dir/sshd_config" <<END
ListenAddress 127.0.0.1
Port $p
HostKey $dir/host_key
AuthorizedKeysFile $dir/authorized_keys
PidFile $dir/sshd.pid
StrictModes no
UsePAM no
PermitRootLogin prohibit-password
PasswordAuthentication no
KbdInteractiveAuthentication no
Subsystem sftp internal-sftp ${SFTP_OPTIONS:-}
END
    rm -f "$dir/log"
    /usr/sbin/sshd -D -f "$dir/sshd_config" -E "$dir/log" &
    for _ in $(seq 50); do
      grep -q "Server listening" "$dir/log" 2>/dev/null && { port=$p; return 0; }
      kill -0 $! 2>/dev/null || break
      sleep 0.1
    done
  done
  echo "sshd did not start: $(cat "$dir/log")" >&2
  return 1
}
stop_sshd() { [[ -f $1/sshd.pid ]] && kill "$(cat "$1/sshd.pid")" 2>/dev/null; }
