#!/usr/bin/env bash
# The TCP echo server of examples/ with its client, on a loopback port:
#   echo_example.sh RILL
# The server is started first; once it says it is listening, the client sends three lines
# and prints the echoes. Both run under timeouts, so that a failure cannot hang the suite.
set -u
rill=$1
examples=$(cd "$(dirname "$0")/../../../examples" && pwd)
work=$(mktemp -d)
server=""
cleanup() {
    [[ -n $server ]] && kill "$server" 2> /dev/null
    rm -rf "$work"
}
trap cleanup EXIT
port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])')

cd "$examples" || exit 2
timeout 20 "$rill" echo_server.rill "$port" > "$work/server" 2>&1 &
server=$!
for _ in $(seq 200); do
    grep -q listening "$work/server" && break
    kill -0 "$server" 2> /dev/null || break
    sleep 0.05
done

printf 'hello\nrill over TCP\n\n' > "$work/input"
timeout 20 "$rill" echo_client.rill "$port" < "$work/input" > "$work/client" 2>&1
client_status=$?
wait "$server"
server_status=$?
server=""

failed=0
printf 'echo: hello\necho: rill over TCP\necho: \n' > "$work/want_client"
printf 'listening on port %s\nechoed 21 bytes\n' "$port" > "$work/want_server"
for side in client server; do
    if ! cmp -s "$work/$side" "$work/want_$side"; then
        echo "$side output differs (want, then got):"
        cat "$work/want_$side"
        echo ---
        cat "$work/$side"
        failed=1
    fi
done
[[ $client_status == 0 ]] || { echo "client status: got $client_status, want 0"; failed=1; }
[[ $server_status == 0 ]] || { echo "server status: got $server_status, want 0"; failed=1; }
exit $failed
