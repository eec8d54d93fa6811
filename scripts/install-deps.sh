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
# Another package installation (an unattended upgrade, say) may hold apt's locks for a while:
# wait up to five minutes for them rather than fail at once. apt-get install waits for the dpkg
# lock itself when given a time-out; apt-get update's lock on the package lists takes none, so
# while another update holds it the update is tried again.
lock_wait=300
update_lists() {
  local err deadline=$((SECONDS + lock_wait))
  err=$(mktemp)
  until $sudo apt-get update 2>"$err"; do
    cat "$err" >&2
    if ! grep -q "/lists/lock" "$err" || [ "$SECONDS" -ge "$deadline" ]; then
      rm -f "$err"
      return 1
    fi
    echo "Waiting for another update to finish..." >&2
    sleep 5
  done
  cat "$err" >&2
  rm -f "$err"
}
update_lists
echo "postfix postfix/main_mailer_type select No configuration" | $sudo debconf-set-selections
$sudo env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=$lock_wait install -y \
  --no-install-recommends "${missing[@]}"
