# Sourced by the scripts: installs the Debian packages they need, only when missing.
# Runs apt-get update once, and only when something must be installed.

pelira_install() {
  local missing=()
  local p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo apt-get update -q
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
}

PELIRA_BUILD_PACKAGES=(
  build-essential cmake ninja-build pkg-config
  libjpeg62-turbo-dev libpng-dev libtiff-dev zlib1g-dev
  qt6-base-dev libgl-dev
  fonts-dejavu-core
)
PELIRA_TEST_PACKAGES=(googletest libgtest-dev python3 imagemagick pngcheck libtiff-tools jpeginfo libjpeg-turbo-progs zip unzip
  xvfb x11-utils openbox wmctrl libglib2.0-bin shared-mime-info)
PELIRA_RUN_PACKAGES=(xvfb xauth xdotool x11-utils imagemagick)
PELIRA_FUZZ_PACKAGES=(clang libclang-rt-14-dev python3)
PELIRA_BENCH_PACKAGES=(libbenchmark-dev libvips-tools)
