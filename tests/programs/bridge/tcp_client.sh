#!/usr/bin/env bash
# A rill TCP client talks to a loopback server started here.
#   tcp_client.sh RILL
# The server accepts one connection, checks the greeting and answers it; everything is
# bounded by timeouts so that a failure cannot hang.
set -u
rill=$1
cd "$(dirname "$0")" || exit 2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
timeout 10 python3 - "$work/port" > "$work/server" <<'PY' &
import os, socket, sys
s = socket.socket()
s.bind(("127.0.0.1", 0))
s.listen(1)
with open(sys.argv[1] + ".tmp", "w") as f:
    f.write(str(s.getsockname()[1]))
os.rename(sys.argv[1] + ".tmp", sys.argv[1])
c, _ = s.accept()
got = c.recv(64)
c.sendall(b"hello client, you said " + got)
c.close()
sys.stdout.write(got.decode())
PY
server=$!
for _ in $(seq 200); do [[ -f $work/port ]] && break; sleep 0.02; done
[[ -f $work/port ]] || { echo "no server"; exit 1; }
out=$(timeout 10 "$rill" tcp_client.rill "$(cat "$work/port")")
status=$?
wait "$server"
failed=0
[[ $out == "hello client, you said hello server" ]] || { echo "client printed '$out'"; failed=1; }
[[ $status == 0 ]] || { echo "client status: got $status, want 0"; failed=1; }
[[ $(cat "$work/server") == "hello server" ]] || { echo "server got '$(cat "$work/server")'"; failed=1; }
exit $failed
