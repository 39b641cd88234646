#!/usr/bin/env bash
# Installs what is missing, builds KORVAN and starts the window in the
# current folder (its settings file and netlists are written there).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bash "$root/scripts/install-deps.sh"
cmake -S "$root" -B "$root/build" -G Ninja -DCMAKE_BUILD_TYPE=Release > /dev/null
cmake --build "$root/build" --target korvan korvan-cli -j"$(nproc)"
# --help and --version need no display.
case " $* " in *" --help "* | *" -h "* | *" --version "*) exec "$root/build/src/korvan" "$@" ;; esac
# Without a display Qt aborts with advice that points the wrong way.
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
    echo "korvan: no display (DISPLAY and WAYLAND_DISPLAY are unset), so the window cannot start; for headless use run $root/build/src/korvan-cli (--help lists its options)" >&2
    exit 1
fi
exec "$root/build/src/korvan" "$@"
