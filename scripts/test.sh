#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test. With --sanitize the build goes
# into build-sanitize/ with the address and undefined-behaviour sanitizers. With
# --exhaustive the fault suite tries every kind of fault at every point of every write
# operation, each kill a real one, nothing sampled (slow: before a change to the engine or
# to a write operation lands).
set -euo pipefail
cd "$(dirname "$0")/.."
build=build
options=()
for arg in "$@"; do
  case "$arg" in
    --sanitize)
      build=build-sanitize
      options=(-DQUOLBY_SANITIZE=ON)
      ;;
    --exhaustive) export QUOLBY_FAULTS_EXHAUSTIVE=1 ;;
    *)
      echo "usage: scripts/test.sh [--sanitize] [--exhaustive]" >&2
      exit 2
      ;;
  esac
done
scripts/install-deps.sh
QUOLBY_BUILD_DIR="$build" scripts/build.sh "${options[@]}"
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$build" --output-on-failure -j "$(nproc)"
