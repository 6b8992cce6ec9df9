#!/usr/bin/env bash
# Sets up a Debian 12 machine for Quillbox, builds it, and then either starts
# the program (run) or runs every test (test).
#   bash scripts/quickstart.sh run      build and start Quillbox
#   bash scripts/quickstart.sh test     build and run the whole test suite
#   BUILD_DIR=... SANITIZE=ON bash scripts/quickstart.sh test   the same under ASan/UBSan
set -euo pipefail

mode="${1:-run}"
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${BUILD_DIR:-$here/build}"
sanitize="${SANITIZE:-OFF}"

packages=(build-essential cmake qt6-base-dev libqscintilla2-qt6-dev libqt6sql6-sqlite
          libqt6svg6 qt6-svg-dev qt6-translations-l10n libbenchmark-dev libsqlite3-dev
          fonts-wqy-microhei)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
    sudo_cmd=()
    [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
    echo "Installing: ${missing[*]}"
    "${sudo_cmd[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

cmake -S "$here" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUILLBOX_SANITIZE="$sanitize" >/dev/null
cmake --build "$build" -j"$(nproc)"

case "$mode" in
run)
    exec "$build/bin/quillbox"
    ;;
test)
    cd "$build"
    exec ctest --output-on-failure -j"$(nproc)"
    ;;
*)
    echo "usage: $0 run|test" >&2
    exit 2
    ;;
esac
