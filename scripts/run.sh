#!/usr/bin/env bash
# Sets up the machine, builds, starts the processor simulator on 127.0.0.1 and
# runs the application against it:
#   bash scripts/run.sh [simulator options, e.g. --model 12]
# vexlor-cli connects first and prints what the processor holds; then the
# window opens (on this display, or on a virtual one when there is none).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"

bash scripts/setup.sh
bash scripts/build.sh build

port=1203
lock=1234
build/sim/vexlor-sim --port "$port" --lock "$lock" "$@" &
sim_pid=$!
trap 'kill "$sim_pid" 2>/dev/null || true' EXIT

# Wait (bounded) until the simulator answers.
for _ in $(seq 50); do
  build/src/cli/vexlor-cli --port "$port" --lock "$lock" --timeout 2 presets >/dev/null 2>&1 && break
  sleep 0.2
done
build/src/cli/vexlor-cli --port "$port" --lock "$lock" info
build/src/cli/vexlor-cli --port "$port" --lock "$lock" presets

# The application's settings live in their own folder for this run, pointed at
# the simulator on loopback; the default host is never contacted.
config="$root/build/run-config"
mkdir -p "$config/Tessavorn"
cat > "$config/Tessavorn/Vexlor.conf" <<CONF
[Settings]
sHost=127.0.0.1
dwPort=$port
sPortName=TCP
dwLockCode=$lock
CONF
export XDG_CONFIG_HOME="$config"
if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  build/src/app/vexlor
else
  echo "No display: the window runs on a virtual one (xvfb-run); close it with Ctrl-C."
  xvfb-run -a build/src/app/vexlor
fi
