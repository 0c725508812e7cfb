#!/usr/bin/env bash
# Runs a command beside a Secret Service of its own: gnome-keyring in a temporary home, with a login
# keyring made and unlocked with a throwaway password. Meant to run inside dbus-run-session.
set -euo pipefail

if [[ -z "${DBUS_SESSION_BUS_ADDRESS:-}" ]]; then
  echo "with-keyring.sh: no session bus; run it as: dbus-run-session -- bash $0 COMMAND..." >&2
  exit 2
fi

keyring_home="$(mktemp -d)"
chmod 0700 "$keyring_home"
mkdir -p "$keyring_home/runtime" "$keyring_home/data"
chmod 0700 "$keyring_home/runtime"

cleanup() {
  if [[ -n "${keyring_pid:-}" ]]; then
    kill "$keyring_pid" 2>/dev/null || true
    wait "$keyring_pid" 2>/dev/null || true
  fi
  rm -rf "$keyring_home"
}
trap cleanup EXIT

# Nobody can answer an unlock prompt of this keyring: keep the prompter off any real display, so a
# prompt fails at once instead of waiting on the developer's screen.
dbus-update-activation-environment DISPLAY= WAYLAND_DISPLAY=

# In the foreground as our own child, so that cleanup ends it and nothing is left behind. The
# password on standard input creates the login keyring (the "default" alias) and unlocks it; an
# empty password would create nothing.
printf 'velto-test-keyring' | env -u DISPLAY -u WAYLAND_DISPLAY HOME="$keyring_home" \
  XDG_RUNTIME_DIR="$keyring_home/runtime" XDG_DATA_HOME="$keyring_home/data" \
  gnome-keyring-daemon --foreground --unlock --components=secrets >/dev/null &
keyring_pid=$!

# Asking the name before the daemon owns it would make the bus start another daemon, over the real
# home; so first wait for the owner, then for the login keyring to be the default collection.
owned() {
  local reply
  reply="$(dbus-send --session --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus \
    org.freedesktop.DBus.NameHasOwner string:org.freedesktop.secrets 2>/dev/null)" || return 1
  [[ "$reply" == *"boolean true"* ]]
}
default_is_login() {
  local reply
  reply="$(dbus-send --session --print-reply --dest=org.freedesktop.secrets /org/freedesktop/secrets \
    org.freedesktop.Secret.Service.ReadAlias string:default 2>/dev/null)" || return 1
  [[ "$reply" == *'object path "/org/freedesktop/secrets/collection/login"'* ]]
}

ready=""
for _ in $(seq 100); do
  if ! kill -0 "$keyring_pid" 2>/dev/null; then break; fi
  if owned && default_is_login; then
    ready=1
    break
  fi
  sleep 0.1
done
if [[ -z "$ready" ]]; then
  echo "with-keyring.sh: gnome-keyring did not make its login keyring the default collection" >&2
  exit 1
fi

# The tests must not skip the real keyring here, and may create and lock collections in it.
export VELTO_REQUIRE_SECRET_SERVICE=1
export VELTO_PRIVATE_SECRET_SERVICE=1
"$@"
