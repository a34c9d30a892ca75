#!/usr/bin/env bash
# Configures and builds into build/ (warnings are errors under CI).
set -euo pipefail
cd "$(dirname "$0")/.."
werror=OFF
[ "${CI:-}" = "true" ] && werror=ON
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUOLBY_WERROR="$werror" "$@"
cmake --build build -j "$(nproc)"
