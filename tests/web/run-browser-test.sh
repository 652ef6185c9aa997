#!/usr/bin/env bash
# The browser remote end to end: the simulator (model 12) and vexlor-agent
# running the browser remote on 127.0.0.1, driven by headless chromium through
# puppeteer-core, with vexlor-cli as another remote of the agent. Usage:
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
agent="$build/src/agent/vexlor-agent"
cleanup() {
  [ -n "$web_pid" ] && kill "$web_pid" 2>/dev/null && wait "$web_pid" 2>/dev/null || true
  [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null && wait "$sim_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
mkdir -p "$shots" "$work/profile" "$work/web"

# Waits (bounded) for FILE to hold a line that the sed expression picks; prints the pick.
wait_for() {
  local file="$1" expression="$2" found=""
  for _ in $(seq 100); do
    found="$(sed -n "$expression" "$file" 2>/dev/null)"
    [ -n "$found" ] && break
    sleep 0.1
  done
  echo "$found"
}

"$build/sim/vexlor-sim" --model 12 --port 0 --verbose >"$work/sim.log" 2>&1 &
sim_pid=$!
sim_port="$(wait_for "$work/sim.log" 's/.*udp 127\.0\.0\.1:\([0-9]*\).*/\1/p')"
[ -n "$sim_port" ] || { echo "the simulator did not start"; exit 1; }

cat >"$work/web.ini" <<INI
[agent]
metrics_port = 0

[web]
listen = 127.0.0.1
port = 0

[studio]
host = 127.0.0.1
port = $sim_port
lock_code = 0
listen_port = 0
INI
export ADMIN_PASSWORD="admin-$RANDOM-$RANDOM" READONLY_PASSWORD="reader-$RANDOM-$RANDOM"
echo "$ADMIN_PASSWORD" | "$agent" --config "$work/web.ini" --add-user ann --role admin >/dev/null
echo "$READONLY_PASSWORD" | "$agent" --config "$work/web.ini" --add-user ro --role readonly >/dev/null

"$agent" --config "$work/web.ini" 2>"$work/web.log" &
web_pid=$!
web_port="$(wait_for "$work/web.log" 's|.*web remote at http://127\.0\.0\.1:\([0-9]*\)/.*|\1|p')"
agent_port="$(wait_for "$work/web.log" 's|.*studio: re-served on UDP 127\.0\.0\.1:\([0-9]*\).*|\1|p')"
[ -n "$web_port" ] && [ -n "$agent_port" ] || { echo "vexlor-agent did not start"; cat "$work/web.log"; exit 1; }

# Starts an agent on a config of its own (NAME LISTEN EXTRA-LINES). Its
# processor is a loopback port where nothing answers, so the simulator keeps
# one link.
start_web() {
  local name="$1" listen="$2" extra="$3"
  printf '[agent]\nmetrics_port = 0\n[web]\nlisten = %s\nport = 0\n%b\n[idle]\nhost = 127.0.0.1\nport = 9\n' \
    "$listen" "$extra" >"$work/$name.ini"
  echo "$ADMIN_PASSWORD" | "$agent" --config "$work/$name.ini" --add-user ann --role admin >/dev/null
  "$agent" --config "$work/$name.ini" 2>"$work/$name.log" &
  echo $! >"$work/$name.pid"
  wait_for "$work/$name.log" '/web remote at/p' >/dev/null
}
stop_web() { kill "$(cat "$work/$1.pid")" 2>/dev/null; wait "$(cat "$work/$1.pid")" 2>/dev/null || true; }

status=0
# Listening beyond loopback (only inside the namespace, where loopback is all
# there is): without TLS the log warns; with a certificate it serves HTTPS
# and the session cookie is Secure.
if [ -n "${VEXLOR_IN_NETNS:-}" ] && command -v openssl >/dev/null && command -v curl >/dev/null; then
  start_web open 0.0.0.0 ""
  grep -q "^<4>the web remote listens on 0.0.0.0 without TLS" "$work/open.log" \
    && echo "ok   listening beyond loopback without TLS is warned about" \
    || { echo "FAIL no warning for a listener beyond loopback without TLS"; status=1; }
  stop_web open
  openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj /CN=127.0.0.1 \
    -keyout "$work/key.pem" -out "$work/cert.pem" >/dev/null 2>&1
  start_web tls 0.0.0.0 "cert = $work/cert.pem\nkey = $work/key.pem"
  tls_port="$(sed -n 's|.*web remote at https://0\.0\.0\.0:\([0-9]*\)/.*|\1|p' "$work/tls.log")"
  cookie="$(curl -sk --max-time 15 -D - -o /dev/null -H "Origin: https://127.0.0.1:$tls_port" -H 'Content-Type: application/json' \
    -d "{\"user\":\"ann\",\"password\":\"$ADMIN_PASSWORD\"}" "https://127.0.0.1:$tls_port/api/login" | grep -i '^set-cookie' || true)"
  if [ -n "$tls_port" ] && ! grep -q "without TLS" "$work/tls.log" && [[ "$cookie" == *"; Secure"* ]]; then
    echo "ok   with a certificate and key the remote serves HTTPS and a Secure cookie"
  else
    echo "FAIL HTTPS with a certificate: port '$tls_port', cookie '$cookie'"; cat "$work/tls.log"; status=1
  fi
  stop_web tls
fi

WEB_PORT="$web_port" AGENT_PORT="$agent_port" SIM_LOG="$work/sim.log" CLI="$build/src/cli/vexlor-cli" \
  CHROMIUM="$chromium" PROFILE_DIR="$work/profile" SHOT_DIR="$shots" \
  timeout 300 node "$here/browser-test.mjs" || status=1
if [ "$status" -ne 0 ]; then
  echo "--- vexlor-agent log"; tail -n 40 "$work/web.log"
fi
grep -q "write ann studio" "$work/web.log" || { echo "FAIL the writes are not logged with the user"; status=1; }
exit "$status"
