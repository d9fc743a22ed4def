#!/usr/bin/env bash
# Installs every Debian package this project needs to build, run and test.
# Safe to run again: apt skips what is already there.
set -euo pipefail

if [ "$(id -u)" -ne 0 ]; then
  echo "setup.sh: run as root (it installs Debian packages with apt-get)" >&2
  exit 1
fi

packages=(
  # build
  build-essential cmake ninja-build pkg-config clang-format
  # the test command's compiler cache (its three builds of every run)
  ccache
  qt6-base-dev qt6-base-dev-tools qt6-multimedia-dev qt6-l10n-tools
  # Qt's own words in Arabic (qtbase_ar.qm), for both platforms
  qt6-translations-l10n
  libgl-dev
  # X11: where the keyboard is, and asking the window manager for attention
  libxcb1-dev
  # Wayland sessions: Qt's wayland platform plugin
  qt6-wayland
  # audio playback through Qt Multimedia's GStreamer backend
  gstreamer1.0-plugins-base gstreamer1.0-plugins-good gstreamer1.0-pulseaudio
  gstreamer1.0-alsa
  # tests: decoding the adhan as the program does, outside it
  gstreamer1.0-tools
  # fonts the windows ask for (Arabic faces, serif, sans)
  fonts-noto-core fonts-hosny-amiri fonts-liberation2 fontconfig
  # desktop: opening web addresses
  xdg-utils
  # tests: virtual display, tray host, window inspection, sound server, audio tools
  xvfb xauth x11-utils trayer
  # tests: a headless Wayland compositor, a StatusNotifierItem tray host, a clock set
  # to just before a prayer
  weston haskell-gtk-sni-tray-utils faketime
  pulseaudio pulseaudio-utils sox libsox-fmt-mp3
  # making the athan clip
  espeak-ng praat lame
  # packaging and checking the desktop files: .deb dependencies, validators
  dpkg-dev lintian
  # tests: reading the windows' accessibility tree from outside, as a screen reader does
  at-spi2-core dbus-daemon dbus-bin gir1.2-atspi-2.0 python3-gi
  # Windows: the cross compiler, the program's icon, Wine to run it (with the
  # C library's locales for its user's), installers, and driving it from outside
  g++-mingw-w64-x86-64-posix mingw-w64-x86-64-dev icoutils wine wine64 locales nsis
  xdotool xclip x11-apps
  # tests: a window manager that guards the focus, as a desktop's does (GNOME's), and
  # a user's window kept above the rest
  mutter wmctrl
  # tests: reading the Windows program's version record, icon and manifest
  python3-pefile
  # fuzzing the parsers and the sanitizer build (clang and libFuzzer), time zones
  clang-14 libclang-rt-14-dev tzdata
  # releases: the Debian package build, comparing two builds, signing and checking
  # Windows files, reading the uninstaller out of the setup program
  debhelper strip-nondeterminism diffoscope-minimal osslsigncode openssl 7zip
)

export DEBIAN_FRONTEND=noninteractive
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  apt-get update -q
  apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
