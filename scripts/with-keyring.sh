#!/usr/bin/env bash
# Runs a command beside a Secret Service of its own: gnome-keyring in a temporary home, unlocked
# with an empty password. Meant to run inside dbus-run-session.
set -euo pipefail

keyring_home="$(mktemp -d)"
chmod 0700 "$keyring_home"
mkdir -p "$keyring_home/runtime" "$keyring_home/data"
chmod 0700 "$keyring_home/runtime"

cleanup() {
  if [[ -n "${keyring_pid:-}" ]]; then kill "$keyring_pid" 2>/dev/null || true; fi
  rm -rf "$keyring_home"
}
trap cleanup EXIT

eval "$(printf '' | HOME="$keyring_home" XDG_RUNTIME_DIR="$keyring_home/runtime" \
  XDG_DATA_HOME="$keyring_home/data" gnome-keyring-daemon --unlock --components=secrets)"
keyring_pid="${GNOME_KEYRING_PID:-}"

# The tests must not skip the real keyring here.
export VELTO_REQUIRE_SECRET_SERVICE=1
"$@"
