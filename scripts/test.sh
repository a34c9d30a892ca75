#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test. With --sanitize the build goes
# into build-sanitize/ with the address and undefined-behaviour sanitizers.
set -euo pipefail
cd "$(dirname "$0")/.."
build=build
options=()
if [ "${1:-}" = "--sanitize" ]; then
  build=build-sanitize
  options=(-DQUOLBY_SANITIZE=ON)
fi
scripts/install-deps.sh
QUOLBY_BUILD_DIR="$build" scripts/build.sh "${options[@]}"
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$build" --output-on-failure -j "$(nproc)"
