#!/bin/bash
# Sends one archive to an SSH server on this machine with arkivoda-cli --copy and with rclone copyto run by
# hand, alternately, and compares the median wall times. Target: arkivoda-cli at most 1.3 times rclone's.
#
#   bench/remote_copy.sh [ARCHIVE] [RUNS]
#
# ARCHIVE is typically the corpus archive that bench/compare.sh backs up; without it a 300 MiB archive of
# pseudo-random data is made with arkivoda-cli. The SSH server (sshd on a free port, throw-away keys), the
# rclone configuration and the data folder live in build/bench-remote and are removed at the end. Needs
# rclone and openssh-server (scripts/install-deps.sh); run as root, sshd wants /run/sshd.
set -euo pipefail
cd "$(dirname "$0")/.."
CLI=$PWD/build/bin/arkivoda-cli
[ -x "$CLI" ] || { echo "build/bin/arkivoda-cli is missing: run scripts/build.sh first" >&2; exit 2; }
WORK=$PWD/build/bench-remote
RUNS=${2:-3}
rm -rf "$WORK" && mkdir -p "$WORK"/{keys,remote,config/Arkivoda}
SSHD_PID=
cleanup() {
    [ -n "$SSHD_PID" ] && kill "$SSHD_PID" 2>/dev/null || true
    rm -rf "$WORK"
}
trap cleanup EXIT

if [ -n "${1:-}" ]; then
    ARCHIVE=$(realpath "$1")
else
    mkdir -p "$WORK/izvor"
    python3 -c "
import random, sys
r = random.Random(24)
with open(sys.argv[1], 'wb') as f:
    for _ in range(300):
        f.write(r.randbytes(1 << 20))" "$WORK/izvor/podaci.bin"
    printf '%s\r\n' "$WORK/izvor" > "$WORK/config/Arkivoda/Arkivoda_bcklst.txt"
    ARCHIVE=$WORK/Arhiva_2026.01.01__00.00.00.zip
    XDG_CONFIG_HOME=$WORK/config ARKIVODA_START_DELAY_MS=0 "$CLI" --manual "$ARCHIVE" > /dev/null 2>&1
    rm -rf "$WORK/izvor"
fi
NAME=$(basename "$ARCHIVE")

free_port() { python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])'; }
PORT=$(free_port)
ssh-keygen -q -t ed25519 -N '' -f "$WORK/keys/host"
ssh-keygen -q -t ed25519 -N '' -f "$WORK/keys/client"
cp "$WORK/keys/client.pub" "$WORK/keys/authorized_keys"
cat > "$WORK/sshd_config" <<CONFIG
Port $PORT
ListenAddress 127.0.0.1
HostKey $WORK/keys/host
AuthorizedKeysFile $WORK/keys/authorized_keys
PidFile none
UsePAM no
PasswordAuthentication no
KbdInteractiveAuthentication no
StrictModes no
PermitRootLogin prohibit-password
Subsystem sftp internal-sftp
CONFIG
[ "$(id -u)" -eq 0 ] && mkdir -p /run/sshd
/usr/sbin/sshd -D -e -f "$WORK/sshd_config" 2> "$WORK/sshd.log" &
SSHD_PID=$!
for _ in $(seq 100); do
    python3 -c "import socket; socket.create_connection(('127.0.0.1', $PORT), 1)" 2>/dev/null && break
    sleep 0.1
done
export RCLONE_CONFIG=$WORK/rclone.conf
cat > "$RCLONE_CONFIG" <<CONFIG
[nas]
type = sftp
host = 127.0.0.1
port = $PORT
user = $(id -un)
key_file = $WORK/keys/client
CONFIG
printf '[Udaljeno]\r\nCilj=nas:%s\r\n' "$WORK/remote" > "$WORK/config/Arkivoda/Arkivoda.ini"

wall() { # prints the wall time in seconds of the command, the target emptied first
    local start end
    rm -rf "$WORK/remote" && mkdir -p "$WORK/remote"
    sync
    start=$(date +%s.%N)
    "$@" > /dev/null 2>&1
    end=$(date +%s.%N)
    cmp -s "$ARCHIVE" "$WORK/remote/$NAME" || { echo "the copy differs: $*" >&2; exit 1; }
    echo "$end - $start" | bc
}
median() { sort -n | awk '{ a[NR] = $1 } END { print a[int((NR + 1) / 2)] }'; }

hand=() ours=()
for _ in $(seq "$RUNS"); do
    hand+=("$(wall rclone copyto --checksum "$ARCHIVE" "nas:$WORK/remote/$NAME")")
    ours+=("$(XDG_CONFIG_HOME=$WORK/config wall "$CLI" --copy "$ARCHIVE")")
done
hand_median=$(printf '%s\n' "${hand[@]}" | median)
ours_median=$(printf '%s\n' "${ours[@]}" | median)
ratio=$(echo "scale=3; $ours_median / $hand_median" | bc)
printf 'archive              %s (%s bytes)\n' "$NAME" "$(stat -c %s "$ARCHIVE")"
printf 'rclone copyto        %8.2f s   (runs: %s)\n' "$hand_median" "${hand[*]}"
printf 'arkivoda-cli --copy  %8.2f s   (runs: %s)\n' "$ours_median" "${ours[*]}"
printf 'ratio                %8.3f (target <= 1.3)\n' "$ratio"
[ "$(echo "$ratio <= 1.3" | bc)" -eq 1 ]
