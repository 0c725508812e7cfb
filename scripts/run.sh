#!/usr/bin/env bash
# Builds the Velto.app bundle (optimised) and starts the agent.
#
#   bash scripts/run.sh                 the agent in your own session (your keyring, your folders)
#   bash scripts/run.sh --local-server  the project's Node peer with a fresh enrollment code, and the
#                                       agent in a scratch home with its own session bus and keyring,
#                                       handed the peer's enrollment link as a browser would
#
# The agent has no options of its own: its arguments are enrollment links. Ctrl-C stops everything.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"

mode="${1:-}"
if [[ -n "$mode" && "$mode" != "--local-server" ]]; then
  echo "usage: bash scripts/run.sh [--local-server]" >&2
  exit 2
fi

bash scripts/install-dependencies.sh >/dev/null
cmake --preset release >/dev/null
cmake --build --preset release -j 3 --target VeltoApp
agent="$root/build/release/Velto.app/Contents/bin/Velto"

if [[ -z "$mode" ]]; then
  exec "$agent"
fi

# --local-server: everything below lives in one scratch folder, removed on the way out.
scratch="$(mktemp -d)"
chmod 0700 "$scratch"
peer_pid=""
cleanup() {
  if [[ -n "$peer_pid" ]]; then
    kill "$peer_pid" 2>/dev/null || true
    wait "$peer_pid" 2>/dev/null || true
  fi
  rm -rf "$scratch"
}
trap cleanup EXIT

bash Tests/EndToEnd/make-test-authority.sh "$scratch/authority"
# A code the peer accepts once, in the service's alphabet (no I, L, O or U).
alphabet="0123456789ABCDEFGHJKMNPQRSTVWXYZ"
code=""
for _ in 1 2 3 4 5 6 7 8; do code+="${alphabet:$((RANDOM % ${#alphabet})):1}"; done

# The peer runs until its standard input closes: a pipe of ours keeps it open.
mkfifo "$scratch/peer-input" "$scratch/peer-output"
VELTO_PEER_ENROLLMENT_CODES="$code" node Tests/EndToEnd/server.mjs --cert "$scratch/authority/server.pem" \
  --key "$scratch/authority/server.key" <"$scratch/peer-input" >"$scratch/peer-output" &
peer_pid=$!
exec 3>"$scratch/peer-input"
read -r ports <"$scratch/peer-output"
port="$(printf '%s' "$ports" | sed -E 's/.*"port":([0-9]+).*/\1/')"
link="velto://enroll?server=https://127.0.0.1:$port/&code=${code:0:4}-${code:4:4}"
echo "run.sh: the peer serves https://127.0.0.1:$port/ and accepts the code ${code:0:4}-${code:4:4}"

home="$scratch/home"
mkdir -p "$home/runtime"
chmod 0700 "$home/runtime"
# The agent writes its id to agent.pid; a stop file asks it to end even before that is written. One of
# the two sides always sees the other's file: run.sh makes the stop file before it reads the id, and
# agent.sh writes the id before it looks for the stop file.
cat >"$scratch/agent.sh" <<INNER
#!/usr/bin/env bash
set -euo pipefail
export HOME="$home" XDG_CONFIG_HOME="$home/.config" XDG_DATA_HOME="$home/.local/share" \
  XDG_CACHE_HOME="$home/.cache" XDG_RUNTIME_DIR="$home/runtime" SSL_CERT_FILE="$scratch/authority/ca.pem"
"$agent" &
agent_pid=\$!
echo "\$agent_pid" >"$scratch/agent.pid.tmp"
mv "$scratch/agent.pid.tmp" "$scratch/agent.pid"
if [[ -e "$scratch/stop" ]]; then kill -TERM "\$agent_pid" 2>/dev/null || true; fi
# The browser's part: a second start hands the link to the running agent and exits.
sleep 1
if [[ ! -e "$scratch/stop" ]]; then
  "$agent" -- "$link"
  echo "run.sh: the link was handed over; confirm the enrollment in the agent's window. Ctrl-C stops."
fi
wait \$agent_pid
INNER

# The session bus, the keyring and the agent run in a session of their own, out of reach of the
# terminal's Ctrl-C: dbus-run-session and the keyring would end at once and take the bus away from an
# agent that is still exiting. Ctrl-C reaches this script alone, which asks the agent to stop (a second
# Ctrl-C kills it) and waits until the bus, the keyring and the agent have ended before cleaning up.
setsid --wait dbus-run-session -- bash scripts/with-keyring.sh bash "$scratch/agent.sh" &
session_pid=$!
interrupted=""
stop_agent() {
  interrupted=1
  local signal=TERM
  if [[ -e "$scratch/stop" ]]; then signal=KILL; fi
  touch "$scratch/stop"
  if [[ -f "$scratch/agent.pid" ]]; then
    kill "-$signal" "$(<"$scratch/agent.pid")" 2>/dev/null || true
  fi
  if [[ "$signal" == TERM ]]; then echo "run.sh: stopping the agent (Ctrl-C again kills it)" >&2; fi
}
trap stop_agent INT TERM
status=0
while true; do
  interrupted=""
  status=0
  wait "$session_pid" || status=$?
  # A trapped signal ends the wait early; then wait again for the real end.
  [[ -n "$interrupted" ]] || break
done
exit "$status"
