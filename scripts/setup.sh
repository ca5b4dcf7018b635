#!/bin/sh
# Installs what building, playing and testing need on Debian 12.
set -e
export DEBIAN_FRONTEND=noninteractive
# Root installs directly; anyone else goes through sudo.
as_root=""
[ "$(id -u)" = 0 ] || as_root="sudo"
$as_root apt-get update
$as_root apt-get install -y \
  build-essential cmake pkg-config git \
  libgtk-3-dev libsdl2-mixer-dev libfluidsynth-dev fluidsynth timgm6mb-soundfont \
  fonts-ipafont-gothic libgtest-dev libbenchmark-dev \
  xvfb xauth x11-utils xdg-utils imagemagick graphviz libgraphviz-dev
