#!/usr/bin/env bash
# Configures and builds into build/, or into $QUOLBY_BUILD_DIR (warnings are errors under CI).
set -euo pipefail
cd "$(dirname "$0")/.."
build="${QUOLBY_BUILD_DIR:-build}"
werror=OFF
[ "${CI:-}" = "true" ] && werror=ON
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUOLBY_WERROR="$werror" "$@"
cmake --build "$build" -j "$(nproc)"
