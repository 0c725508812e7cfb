#!/usr/bin/env bash
# Builds the libFuzzer programs of the parsers (the fuzz preset: clang 14 with AddressSanitizer and
# UndefinedBehaviorSanitizer) and fuzzes each target in turn, starting from its seed corpus.
#
#   bash scripts/fuzz.sh [SECONDS] [TARGET...]
#
# SECONDS is the time per target (default 60); without TARGET every target of Fuzz/Corpus runs.
# New inputs go to build/fuzz/corpus/<target>, findings to build/fuzz/findings/<target>; the script
# exits with 1 when a target found a fault. To keep a finding as a regression test, minimise it
# (the fuzz program with -minimize_crash=1) and copy it into Fuzz/Corpus/<target>/: the test suite
# replays every file there.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"

seconds="${1:-60}"
shift || true
targets=("$@")
if ((${#targets[@]} == 0)); then
  for folder in Fuzz/Corpus/*/; do targets+=("$(basename "$folder")"); done
fi

# clang 14 and its fuzzer runtime, which the normal build and CI do not need.
missing=()
for package in clang-14 libclang-rt-14-dev; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$package")
  fi
done
if ((${#missing[@]} > 0)); then
  sudo=""
  if [[ $(id -u) -ne 0 ]]; then sudo="sudo"; fi
  $sudo apt-get update
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
fi

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j 3 --target "${targets[@]/#/velto-fuzz-}"

status=0
for target in "${targets[@]}"; do
  corpus="build/fuzz/corpus/$target"
  findings="build/fuzz/findings/$target"
  mkdir -p "$corpus" "$findings"
  echo "fuzzing $target for ${seconds}s"
  # Inputs up to 4 KiB: the large seeds of deep nesting are replayed whole by the test suite.
  if ! "build/fuzz/Fuzz/velto-fuzz-$target" -max_total_time="$seconds" -max_len=4096 -timeout=10 \
      -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$findings/" "$corpus" "Fuzz/Corpus/$target"; then
    echo "$target: a fault was found; see $findings"
    status=1
  fi
done
exit "$status"
