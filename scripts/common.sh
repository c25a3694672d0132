# Shared by run.sh and test.sh: install what is missing, then build.
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD_DIR="${OSTREL_BUILD_DIR:-$ROOT/build}"

# ensure_packages [list file]: the packages of scripts/packages.txt, or of the
# list given (one name a line, '#' comments).
ensure_packages() {
  local list="${1:-$ROOT/scripts/packages.txt}" wanted missing=()
  wanted=$(sed 's/#.*//' "$list" | grep -v '^ *$')
  for pkg in $wanted; do
    dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed" || missing+=("$pkg")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

build_all() {
  if [ ! -f "$BUILD_DIR/build.ninja" ]; then
    cmake -S "$ROOT" -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
  fi
  cmake --build "$BUILD_DIR" -j2
}

# The checking build: clang with ccache in build-asan/ (OSTREL_ASAN_BUILD_DIR),
# the suite under AddressSanitizer and UndefinedBehaviorSanitizer plus the
# fuzz targets, all from one set of objects.
ASAN_DIR="${OSTREL_ASAN_BUILD_DIR:-$ROOT/build-asan}"

configure_checking_build() {
  if [ ! -f "$ASAN_DIR/build.ninja" ]; then
    cmake -S "$ROOT" -B "$ASAN_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
      -DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache \
      -DOSTREL_SANITIZE=ON -DOSTREL_FUZZ=ON
  fi
}

# in_private_network <command...>: as root, inside a network namespace with
# only loopback up; otherwise as it is.
in_private_network() {
  if [ "$(id -u)" -eq 0 ]; then
    unshare -n -- bash -c 'ip link set lo up && exec "$@"' _ "$@"
  else
    "$@"
  fi
}
