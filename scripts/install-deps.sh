#!/usr/bin/env bash
# Installs the Debian packages that KORVAN needs to build, run and test.
# Runs as root on Debian 12; does nothing when everything is already there.
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config ccache git
    qt6-base-dev qt6-charts-dev libqt6opengl6-dev qt6-svg-dev
    libeigen3-dev libcairo2-dev
    libgtest-dev libgmock-dev googletest libbenchmark-dev
    nlohmann-json3-dev libcli11-dev
    fonts-dejavu-core
    ngspice
    desktop-file-utils appstream poppler-utils
    locales
)

# Only for the fuzz targets (scripts/fuzz.sh): clang with libFuzzer.
if [ "${1:-}" = "--fuzz" ]; then
    packages+=(clang libclang-rt-14-dev)
fi

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    SUDO=""
    [ "$(id -u)" -eq 0 ] || SUDO="sudo"
    # apt's own output goes to a log; only a failure shows its end.
    log="${TMPDIR:-/tmp}/korvan-install-deps.log"
    echo "Installing ${#missing[@]} Debian packages (apt's output: $log) ..."
    if ! { $SUDO apt-get update -qq &&
        DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"; } >"$log" 2>&1; then
        echo "install-deps: apt-get failed; the end of $log:" >&2
        tail -n 20 "$log" >&2
        exit 1
    fi
fi
