#!/usr/bin/env bash
# The browser remote end to end: the simulator (model 12) and vexlor-web on
# 127.0.0.1, driven by headless chromium through puppeteer-core. Usage:
#   bash tests/web/run-browser-test.sh BUILD_DIR [SHOT_DIR]
# Runs inside a network namespace with only loopback when it can make one.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
build="$(cd "${1:?build folder}" && pwd)"
shots="${2:-$build/web-shots}"

chromium="$(command -v chromium || true)"
if [ -z "$chromium" ] || ! command -v node >/dev/null; then
  echo "NOTICE: browser test skipped: chromium or node is not installed"
  exit 0
fi
if [ ! -d "$here/node_modules/puppeteer-core" ]; then
  (cd "$here" && npm ci --no-audit --no-fund >/dev/null) || {
    echo "NOTICE: browser test skipped: puppeteer-core could not be installed"
    exit 0
  }
fi

if [ -z "${VEXLOR_IN_NETNS:-}" ] && unshare -rn true 2>/dev/null; then
  exec env VEXLOR_IN_NETNS=1 unshare -rn bash -c 'ip link set lo up && exec bash "$0" "$@"' "$0" "$build" "$shots"
fi

work="$(mktemp -d -p "$build" web-test.XXXXXX)"
sim_pid="" web_pid=""
cleanup() {
  [ -n "$web_pid" ] && kill "$web_pid" 2>/dev/null && wait "$web_pid" 2>/dev/null || true
  [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null && wait "$sim_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
mkdir -p "$shots" "$work/profile" "$work/web"

"$build/sim/vexlor-sim" --model 12 --port 0 --verbose >"$work/sim.log" 2>&1 &
sim_pid=$!
for _ in $(seq 100); do
  sim_port="$(sed -n 's/.*udp 127\.0\.0\.1:\([0-9]*\).*/\1/p' "$work/sim.log")"
  [ -n "$sim_port" ] && break
  sleep 0.1
done
[ -n "$sim_port" ] || { echo "the simulator did not start"; exit 1; }

cat >"$work/web.ini" <<INI
[web]
listen = 127.0.0.1
port = 0

[processor studio]
host = 127.0.0.1
port = $sim_port
lock = 0000
INI
export ADMIN_PASSWORD="admin-$RANDOM-$RANDOM" READONLY_PASSWORD="reader-$RANDOM-$RANDOM"
echo "$ADMIN_PASSWORD" | "$build/src/web/vexlor-web" --config "$work/web.ini" --add-user ann --role admin >/dev/null
echo "$READONLY_PASSWORD" | "$build/src/web/vexlor-web" --config "$work/web.ini" --add-user ro --role readonly >/dev/null

"$build/src/web/vexlor-web" --config "$work/web.ini" --work "$work/web" 2>"$work/web.log" &
web_pid=$!
for _ in $(seq 100); do
  web_port="$(sed -n 's|.*web remote at http://127\.0\.0\.1:\([0-9]*\)/.*|\1|p' "$work/web.log")"
  [ -n "$web_port" ] && break
  sleep 0.1
done
[ -n "$web_port" ] || { echo "vexlor-web did not start"; cat "$work/web.log"; exit 1; }

status=0
WEB_PORT="$web_port" SIM_PORT="$sim_port" SIM_LOG="$work/sim.log" CLI="$build/src/cli/vexlor-cli" \
  CHROMIUM="$chromium" PROFILE_DIR="$work/profile" SHOT_DIR="$shots" \
  timeout 300 node "$here/browser-test.mjs" || status=$?
if [ "$status" -ne 0 ]; then
  echo "--- vexlor-web log"; tail -n 40 "$work/web.log"
fi
grep -q "write ann studio" "$work/web.log" || { echo "FAIL the writes are not logged with the user"; status=1; }
exit "$status"
