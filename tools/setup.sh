#!/usr/bin/env bash
# Installs the Debian packages the project needs (only those missing), then
# configures and builds it in Release. Run as root on Debian 12.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build_dir=${SCRIBO_BUILD_DIR:-$root/build}

packages=(
  g++ cmake ninja-build ccache pkg-config git
  qtbase5-dev libqt5svg5-dev libqt5serialport5-dev qttools5-dev qttools5-dev-tools qt5-image-formats-plugins
  libopencv-core-dev libopencv-imgproc-dev libopencv-imgcodecs-dev
  libpotrace-dev libdxflib-dev zlib1g-dev libbenchmark-dev
  xvfb xauth socat fonts-wqy-microhei fonts-dejavu-core
)

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$package")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing missing packages: ${missing[*]}"
  sudo=""
  if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update -qq -o DPkg::Lock::Timeout=600
  $sudo apt-get install -y -qq --no-install-recommends -o DPkg::Lock::Timeout=600 "${missing[@]}" >/dev/null
fi

# ccache hits across clones in different folders.
export CCACHE_BASEDIR="$root"
export CCACHE_NOHASHDIR=1

if [ ! -f "$build_dir/build.ninja" ]; then
  cmake -S "$root" -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
cmake --build "$build_dir" -- -j"$(nproc)" ${SCRIBO_NINJA_ARGS:-}
