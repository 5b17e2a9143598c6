#!/usr/bin/env bash
# Installs the Debian 12 packages that building, testing and running Kinetrope Pro need.
# Only missing packages are installed; needs root (or sudo) when any are missing.
set -euo pipefail

packages=(
  cmake ninja-build pkg-config g++
  libgtest-dev libgmock-dev libbenchmark-dev
  zlib1g-dev liblzma-dev libpng-dev libjpeg-dev libgif-dev libagg-dev
  libavcodec-dev libavformat-dev libavutil-dev libswscale-dev libswresample-dev
  libfreetype-dev libfontconfig-dev fonts-liberation2 fonts-dejavu-core
  qt6-base-dev qt6-multimedia-dev
  ffmpeg
  # The icons rendered from their SVG; the Debian package's dependencies (dpkg-shlibdeps);
  # the validators the installation tests run.
  librsvg2-bin dpkg-dev desktop-file-utils appstream
)
for option in "$@"; do
  case "$option" in
    --fuzz) packages+=(clang libclang-rt-14-dev) ;;
    # The virtual display that scripts/take-screenshots.sh draws the windows on.
    --screenshots) packages+=(xvfb) ;;
    # The one-node Slurm cluster of scripts/slurm-cluster.sh, for the tests of batch --slurm.
    --cluster) packages+=(slurmctld slurmd slurm-client munge) ;;
    *) echo "usage: $0 [--fuzz] [--screenshots] [--cluster]" >&2; exit 2 ;;
  esac
done

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if ((${#missing[@]} == 0)); then
  exit 0
fi

echo "Installing: ${missing[*]}"
sudo=()
if [[ $(id -u) -ne 0 ]]; then
  if command -v sudo >/dev/null; then
    sudo=(sudo)
  else
    echo "error: these packages are missing and installing them needs root: ${missing[*]}" >&2
    exit 1
  fi
fi
if ! "${sudo[@]}" apt-get update -q || ! DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"; then
  echo "error: apt-get could not install: ${missing[*]}" >&2
  exit 1
fi
