#!/usr/bin/env bash
# Installs every Debian 12 package that building, running and testing Chirpel needs.
# Safe to run again: packages already present are left alone.
set -euo pipefail

packages=(
  # toolchain
  build-essential cmake ninja-build pkg-config git
  # Qt 6 widgets, svg, uic/moc/rcc and the xcb/offscreen platform plugins
  qt6-base-dev qt6-base-dev-tools qt6-svg-dev qt6-qpa-plugins libgl-dev
  # sound, compression, pictures, key capture
  libpulse-dev libsoxr-dev libgsm1-dev libjpeg62-turbo-dev zlib1g-dev libx11-dev
  # the font configuration, read ahead at start when the shield shows first
  libfontconfig-dev
  # the mail sender: composition, the MP3 copy, the desktop's mail composer
  libgmime-3.0-dev libmp3lame-dev xdg-utils
  # fonts standing in for the design's Windows fonts
  fonts-comic-neue fonts-dejavu-core
  # tests, benchmarks, fuzzing
  libgtest-dev libgmock-dev libbenchmark-dev clang libclang-rt-14-dev
  # sound server and sound tools for integration tests
  pulseaudio pulseaudio-utils sox libsox-fmt-all ffmpeg espeak-ng
  # the integration tests against PipeWire (tests/pipewire.sh)
  pipewire pipewire-pulse wireplumber dbus
  # desktop for end-to-end tests and screenshots
  xvfb openbox xdotool imagemagick x11-utils
  # mail agent and loopback SMTP sink for the sending tests
  msmtp python3-aiosmtpd
  # installing and packaging: validators for the desktop files, manual pages, the Debian package
  desktop-file-utils appstream man-db dpkg-dev fakeroot lintian
  # benchmarks
  hyperfine time
  # line coverage of the tests (the coverage preset)
  gcovr
  python3
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
