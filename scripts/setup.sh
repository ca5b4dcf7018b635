#!/bin/sh
# Installs what building, playing and testing need on Debian 12.
set -e
export DEBIAN_FRONTEND=noninteractive
apt-get update
apt-get install -y --no-install-recommends \
  build-essential cmake pkg-config git \
  libgtk-3-dev libsdl2-mixer-dev libfluidsynth-dev fluidsynth timgm6mb-soundfont \
  fonts-ipafont-gothic libgtest-dev libbenchmark-dev \
  xvfb xauth x11-utils xdg-utils imagemagick
