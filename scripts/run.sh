#!/usr/bin/env bash
# Sets up the machine, builds, starts the processor simulator on 127.0.0.1 and
# runs the application against it. Extra arguments go to the simulator.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"

bash scripts/setup.sh
bash scripts/build.sh build

if [ -x build/sim/vexlor-sim ]; then
  build/sim/vexlor-sim --port 1203 "$@" &
  sim_pid=$!
  trap 'kill "$sim_pid" 2>/dev/null || true' EXIT
fi

# The application's settings live in their own folder for this run, pointed at
# the simulator on loopback; the default host is never contacted.
config="$root/build/run-config"
mkdir -p "$config/Tessavorn"
cat > "$config/Tessavorn/Vexlor.conf" <<CONF
[Settings]
sHost=127.0.0.1
dwPort=1203
sPortName=TCP
CONF
XDG_CONFIG_HOME="$config" build/src/app/vexlor
