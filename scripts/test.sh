#!/usr/bin/env bash
# Installs what is missing, configures, builds and runs every test (Debug, ASan and UBSan).
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"

bash scripts/install-dependencies.sh
cmake --preset ci
cmake --build --preset ci
# The keychain tests talk to a real Secret Service on a private session bus.
dbus-run-session -- bash scripts/with-keyring.sh ctest --preset ci
