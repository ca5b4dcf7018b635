#!/bin/sh
# Installs what building, playing and testing need on Debian 12, and nothing
# when all of it is already there (the play command runs this every time).
set -e
packages="build-essential cmake pkg-config \
  libgtk-3-dev libsdl2-mixer-dev libfluidsynth-dev timgm6mb-soundfont fonts-ipafont-gothic \
  fonts-ipafont-mincho fonts-liberation2 \
  libgtest-dev xvfb xauth x11-utils libxtst-dev xdg-utils imagemagick xdotool desktop-file-utils \
  dpkg-dev lintian appstream \
  graphviz libgraphviz-dev \
  libspeechd-dev speech-dispatcher speech-dispatcher-espeak-ng espeak-ng \
  clang libclang-rt-14-dev clang-tidy clang-format"
missing=""
for p in $packages; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" ||
    missing="$missing $p"
done
[ -z "$missing" ] && exit 0
export DEBIAN_FRONTEND=noninteractive
# Root installs directly; anyone else goes through sudo.
as_root=""
[ "$(id -u)" = 0 ] || as_root="sudo"
$as_root apt-get update
$as_root apt-get install -y $missing
