#!/usr/bin/env bash
# Builds the optimised benchmark program and the measurements (idle connections, update throughput,
# processes, agent passes, the job runner, the whole agent, its threads' stalls, the menu panel, the
# setup window) and runs them; each prints its figures against their goals, and the script exits with 1
# when one is missed. Extra
# arguments go to the benchmark program (e.g. --benchmark_filter=DPoP).
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"

cmake --preset release >/dev/null
cmake --build --preset release --target VeltoBenchmarks IdleConnectionsMeasurement UpdateThroughputMeasurement \
    ProcessMeasurement AgentPassMeasurement JobRunnerMeasurement AgentMeasurement PanelMeasurement \
    SetupMeasurement StallMeasurement
status=0
build/release/Benchmarks/VeltoBenchmarks --benchmark_repetitions=5 --benchmark_report_aggregates_only=true "$@" ||
    status=1
# Ten organizations' sessions held idle for a minute against the Node peer, renewing every 30 s:
# CPU time per idle minute and per renewal, and memory.
VELTO_SOURCE_DIR="$root" build/release/Benchmarks/IdleConnectionsMeasurement || status=1
# Download and unpacking of an update against openssl, unzip and sha256sum on the same input.
VELTO_SOURCE_DIR="$root" build/release/Benchmarks/UpdateThroughputMeasurement || status=1
# /bin/true through the process runner and a 16 MiB drain, against bare system calls.
build/release/Benchmarks/ProcessMeasurement || status=1
# A 2,000-file, 100 MiB skill folder's digest, and an add-on pass over three harnesses that changes nothing.
build/release/Benchmarks/AgentPassMeasurement || status=1
# The job runner on node against the Node peer: relay latency and throughput, cancel to the group gone.
VELTO_SOURCE_DIR="$root" build/release/Benchmarks/JobRunnerMeasurement || status=1
# The whole agent: cold start with ten saved organizations (keyring reads included), then its idle CPU
# time and memory over a minute; in a keyring of its own.
VELTO_SOURCE_DIR="$root" dbus-run-session -- bash scripts/with-keyring.sh build/release/Benchmarks/AgentMeasurement ||
    status=1
# The GUI and device I/O threads' longest stalls through launch, panel, wake, logins and an update's
# staging, then the idle figures after the panel's one opening; in a keyring of its own.
VELTO_SOURCE_DIR="$root" dbus-run-session -- bash scripts/with-keyring.sh build/release/Benchmarks/StallMeasurement ||
    status=1
# The menu panel over eight organizations on the software scene graph: tray click to first frame,
# cold and warm, and memory over 200 open-close cycles.
build/release/Benchmarks/PanelMeasurement || status=1
# The setup window: show to first frame, each picture's frames and render time, frames while
# minimised, memory after closing; on the software scene graph offscreen, then on OpenGL under Xvfb.
QT_QUICK_BACKEND=software build/release/Benchmarks/SetupMeasurement || status=1
xvfb-run -a -s "-screen 0 1920x1080x24" env QT_QPA_PLATFORM=xcb build/release/Benchmarks/SetupMeasurement ||
    status=1
exit "$status"
