#!/usr/bin/env bash
# Installs what is missing, builds KORVAN and starts the window in the
# current folder (its settings file and netlists are written there).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bash "$root/scripts/install-deps.sh"
cmake -S "$root" -B "$root/build" -G Ninja -DCMAKE_BUILD_TYPE=Release > /dev/null
cmake --build "$root/build" --target korvan korvan-cli -j"$(nproc)"
exec "$root/build/src/korvan" "$@"
