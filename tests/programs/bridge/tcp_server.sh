#!/usr/bin/env bash
# A rill TCP server on a loopback port answers one client started here.
#   tcp_server.sh RILL
# The server accepts one connection, echoes what it got after "pong: " and exits with the
# byte count it received; everything is bounded by timeouts so that a failure cannot hang.
set -u
rill=$1
cd "$(dirname "$0")" || exit 2
port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])')
timeout 10 "$rill" tcp_server.rill "$port" &
server=$!
reply=$(timeout 10 python3 - "$port" <<'PY'
import socket, sys, time
port = int(sys.argv[1])
for _ in range(200):
    try:
        c = socket.create_connection(("127.0.0.1", port), timeout=5)
        break
    except OSError:
        time.sleep(0.02)
else:
    sys.exit("no server")
c.sendall(b"ping")
data = b""
while True:
    chunk = c.recv(64)
    if not chunk:
        break
    data += chunk
sys.stdout.write(data.decode())
PY
)
wait "$server"
status=$?
failed=0
[[ $reply == "pong: ping" ]] || { echo "reply: got '$reply', want 'pong: ping'"; failed=1; }
[[ $status == 4 ]] || { echo "server status: got $status, want 4"; failed=1; }
exit $failed
