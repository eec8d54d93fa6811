#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing need, when any is missing.
# Usage: scripts/install-deps.sh [build|test|bench]
set -euo pipefail
# qt6-translations-l10n: the framework's own dialogs in Japanese on every locale.
# xdg-utils: xdg-open, through which the programs open their help file or help page.
# libxcb1-dev: the send run asks the X server whether Escape is held down.
packages=(cmake ninja-build g++ pkg-config qt6-base-dev qt6-base-dev-tools libssl-dev
          libjpeg62-turbo-dev fonts-ipafont-gothic qt6-translations-l10n xdg-utils
          libxcb1-dev)
if [ "${1:-build}" = test ] || [ "${1:-build}" = bench ]; then
  packages+=(googletest libgtest-dev libbenchmark-dev python3 python3-aiosmtpd clang
             libclang-rt-14-dev desktop-file-utils)
fi
if [ "${1:-build}" = bench ]; then
  packages+=(postfix)  # its smtp-sink only; installed unconfigured, the daemon never runs
fi
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
$sudo apt-get update
echo "postfix postfix/main_mailer_type select No configuration" | $sudo debconf-set-selections
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
