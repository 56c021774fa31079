# Sourced by scripts/test, scripts/run and scripts/fuzz: installs every Debian
# package that the build, the tests, the fuzzing targets and the built-in player
# need, when one is missing.
tunewarden_packages=(
  cmake ninja-build g++ pkg-config clang-format clang-tidy
  libgtest-dev libgmock-dev libbenchmark-dev
  qt6-base-dev qt6-translations-l10n libfreetype-dev libfontconfig-dev libudev-dev libtag1-dev
  libavformat-dev libavcodec-dev libswresample-dev libavutil-dev libmp3lame-dev
  dosfstools mtools lame ffmpeg srecord xvfb adwaita-icon-theme
  clang libclang-rt-14-dev
  desktop-file-utils appstream man-db dpkg-dev file
  fonts-dejavu-core fonts-ipafont-gothic fonts-unfonts-core fonts-wqy-zenhei
)

install_missing_packages() {
  local missing=()
  local package
  for package in "${tunewarden_packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' \
      || missing+=("$package")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  local sudo=()
  [ "$(id -u)" -ne 0 ] && sudo=(sudo)
  "${sudo[@]}" apt-get update
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
}
