#!/usr/bin/env bash
# Installs missing packages, builds, starts the simulated printer on
# 127.0.0.1:9100 (when built) and the program. Ends the simulator on exit.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/scripts/common.sh"
ensure_packages
build_all
sim="$BUILD_DIR/tools/printer-sim/ostrel-printer-sim"
if [ -x "$sim" ] && [ "${OSTREL_NO_SIM:-0}" != 1 ]; then
  "$sim" --address 127.0.0.1 &
  sim_pid=$!
  trap 'kill $sim_pid 2>/dev/null || true' EXIT
fi
"$BUILD_DIR/src/ostrel" "$@"
