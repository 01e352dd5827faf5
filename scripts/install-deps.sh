#!/usr/bin/env bash
# Installs the Debian 12 packages that building, running and testing Zandrel need; with --bench,
# also what the end-to-end benchmark needs (Chromium). Does nothing when they are all installed.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev libgl-dev libwayland-dev libwayland-bin wayland-protocols
  qt6-speech-dev qt6-declarative-dev qt6-speech-speechd-plugin qt6-tools-dev qt6-l10n-tools qt6-translations-l10n
  speech-dispatcher speech-dispatcher-espeak-ng espeak-ng pulseaudio pulseaudio-utils locales
  libwebsockets-dev libjsoncpp-dev libcurl4-openssl-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev clang-format clang-tidy
  lintian appstream help2man librsvg2-bin devscripts desktop-file-utils libxml2-utils
  locales
  nodejs node-ws
  xvfb xauth xdotool imagemagick x11-utils openbox xcompmgr trayer dunst
  sway xwayland qt6-wayland mutter kwin-wayland dbus xdg-desktop-portal xdg-desktop-portal-kde
  fonts-wqy-microhei locales
)
[ "${1:-}" = "--bench" ] && packages+=(chromium)

missing=()
for p in "${packages[@]}"; do
  if [ "$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null)" != "install ok installed" ]; then
    missing+=("$p")
  fi
done
# The Wayland end-to-end test runs sway, which refuses root, as this user.
ensure_test_user() {
  id zandrel-test >/dev/null 2>&1 && return 0
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo useradd --system --no-create-home --shell /usr/sbin/nologin zandrel-test
}
if [ ${#missing[@]} -eq 0 ]; then
  ensure_test_user
  exit 0
fi

echo "Installing: ${missing[*]}"
sudo=""
if [ "$(id -u)" -ne 0 ]; then
  command -v sudo >/dev/null || { echo "Run as root or install sudo to install: ${missing[*]}" >&2; exit 1; }
  sudo="sudo"
fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
ensure_test_user
