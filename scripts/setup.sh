# Shared by ./run and ./test: installs the Debian packages the build needs
# (only those missing) and configures a build folder.

VALMORO_PACKAGES=(
  cmake ninja-build g++ ccache pkg-config
  qt6-base-dev qt6-base-dev-tools libqt6sql6-sqlite libqt6opengl6-dev libgl-dev
  libsqlite3-dev libsodium-dev libjpeg62-turbo-dev libpng-dev
  libgtest-dev googletest
  libfontconfig-dev libfreetype-dev libharfbuzz-dev libssl-dev zlib1g-dev qpdf poppler-utils libxlsxwriter-dev libcups2-dev
  fonts-liberation2 fonts-dejavu-core xvfb xauth qt6-translations-l10n
  python3-openpyxl libreoffice-writer-nogui libreoffice-calc-nogui
)

valmoro_install_packages() {
  local missing=()
  for p in "${VALMORO_PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  if [ ${#missing[@]} -eq 0 ]; then
    return 0
  fi
  echo "Installing missing packages: ${missing[*]}"
  local sudo=""
  if [ "$(id -u)" -ne 0 ]; then
    if command -v sudo >/dev/null 2>&1; then
      sudo="sudo"
    else
      echo "error: packages are missing and this user cannot install them (no sudo): ${missing[*]}" >&2
      return 1
    fi
  fi
  $sudo env DEBIAN_FRONTEND=noninteractive apt-get update -q || true
  $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
}

# valmoro_configure BUILD_DIR [cmake options…]
valmoro_configure() {
  local dir="$1"
  shift
  cmake -S "$VALMORO_ROOT" -B "$dir" -G Ninja "$@" >/dev/null
}

valmoro_jobs() {
  local n
  n=$(nproc 2>/dev/null || echo 2)
  [ "$n" -gt 2 ] && n=2
  echo "$n"
}
