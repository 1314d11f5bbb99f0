#!/usr/bin/env bash
# Installs what is missing (Debian packages only), builds, then either starts the
# workstation ("run") or runs the whole test suite ("test").
set -euo pipefail
cd "$(dirname "$0")"

packages=(
  cmake g++ make pkg-config
  qtbase5-dev qtbase5-dev-tools libqt5svg5-dev qttranslations5-l10n qt5-image-formats-plugins
  libopencv-core-dev libopencv-imgproc-dev libopencv-imgcodecs-dev
  libmagick++-6.q16-dev imagemagick
  libxlsxwriter-dev libzip-dev libjpeg-dev libtiff-dev libqpdf-dev libbenchmark-dev
  libsane-dev sane-utils
  fonts-noto-cjk
  python3-openpyxl
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo_cmd=""
  [ "$(id -u)" -eq 0 ] || sudo_cmd="sudo"
  $sudo_cmd apt-get update
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y --no-install-recommends "${missing[@]}"
fi

build_dir=${TARVO_BUILD_DIR:-build}
cmake -S . -B "$build_dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$build_dir" -j"$(nproc)"

case "${1:-run}" in
  run)
    exec "$build_dir/tarvo"
    ;;
  test)
    cd "$build_dir"
    exec ctest --output-on-failure -j"$(nproc)"
    ;;
  *)
    echo "usage: $0 [run|test]" >&2
    exit 2
    ;;
esac
