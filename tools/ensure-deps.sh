#!/usr/bin/env bash
# Installs the Debian 12 packages the build, the tests and the game need.
# As root it installs what is missing; otherwise it names the apt-get line and stops.
set -euo pipefail

pakete=(
    cmake ninja-build g++ pkg-config
    qt6-base-dev qt6-base-dev-tools qt6-translations-l10n
    libgtest-dev libgmock-dev libbenchmark-dev
    clang-format python3 fonts-dejavu-core
)
if [[ "${1:-}" == "--fuzz" ]]; then
    pakete+=(clang libclang-rt-14-dev)
fi
if [[ "${1:-}" == "--desktop" ]]; then
    pakete+=(qt6-qpa-plugins)
fi

fehlend=()
for p in "${pakete[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        fehlend+=("$p")
    fi
done

if ((${#fehlend[@]} == 0)); then
    exit 0
fi

zeile="apt-get install -y ${fehlend[*]}"
if [[ "$(id -u)" -ne 0 ]]; then
    echo "Missing packages. Please run as root:" >&2
    echo "  apt-get update && $zeile" >&2
    exit 1
fi
echo "Installing: ${fehlend[*]}"
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq "${fehlend[@]}"
