#!/usr/bin/env bash
# Installs missing packages, builds, and runs the whole test suite.
# As root the suite runs in a private network namespace with only loopback up,
# so no test can reach a real interface. Extra arguments go to ctest.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/scripts/common.sh"
ensure_packages
build_all
cd "$BUILD_DIR"
ctest_cmd=(ctest --output-on-failure -j2 "$@")
if [ "$(id -u)" -eq 0 ]; then
  exec unshare -n -- bash -c 'ip link set lo up && exec "$@"' _ "${ctest_cmd[@]}"
fi
exec "${ctest_cmd[@]}"
