#!/usr/bin/env bash
# A real Prometheus scrapes a real agent serving three simulators of different
# models, all on 127.0.0.1; its query API must show every processor up, meters
# that move, and a killed simulator as down. Every process is ended by its PID.
# Usage: prometheus_test.sh VEXLOR_SIM VEXLOR_AGENT ALERT_RULES
set -euo pipefail
sim="$1" agent="$2" rules="$3"
work="$(mktemp -d)"
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT

free_port() { python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])'; }
# Waits (at most $1 seconds) for the command after it to succeed.
until_ok() {
  local limit="$1"; shift
  for _ in $(seq $((limit * 5))); do "$@" >/dev/null 2>&1 && return 0; sleep 0.2; done
  echo "gave up waiting for: $*" >&2
  return 1
}

declare -A simpid
conf="$work/agent.ini"
metrics="$(free_port)"
printf '[agent]\nmetrics_port = %s\n' "$metrics" >"$conf"
for model in 1 5 12; do
  "$sim" --model "$model" --port 0 --lock 1234 >"$work/sim$model.out" 2>/dev/null &
  simpid[$model]=$!
  pids+=($!)
  until_ok 10 grep -q 'udp 127.0.0.1:' "$work/sim$model.out"
  port="$(sed -n 's/.*udp 127.0.0.1:\([0-9]*\).*/\1/p' "$work/sim$model.out")"
  printf '\n[m%s]\nhost = 127.0.0.1\nport = %s\nlock_code = 1234\nreply_timeout_ms = 300\ntries = 3\n' \
    "$model" "$port" >>"$conf"
done

"$agent" --config "$conf" 2>"$work/agent.log" &
pids+=($!)
url="http://127.0.0.1:$metrics/metrics"
all_up() { [ "$(curl -sf "$url" | grep -c '^vexlor_up{.*} 1$')" = 3 ]; }
until_ok 60 all_up
curl -sf "$url" >"$work/scrape.txt"
promtool check metrics <"$work/scrape.txt"

prom="$(free_port)"
cat >"$work/prometheus.yml" <<YAML
global:
  scrape_interval: 1s
  evaluation_interval: 1s
rule_files:
  - $rules
scrape_configs:
  - job_name: vexlor
    static_configs:
      - targets: ['127.0.0.1:$metrics']
YAML
prometheus --config.file="$work/prometheus.yml" --storage.tsdb.path="$work/data" \
  --web.listen-address="127.0.0.1:$prom" >"$work/prometheus.log" 2>&1 &
pids+=($!)
api="http://127.0.0.1:$prom/api/v1/query"
until_ok 60 curl -sf "http://127.0.0.1:$prom/-/ready"

# The number of series the query gives whose value passes the test.
count() {
  curl -sf --get "$api" --data-urlencode "query=$1" |
    python3 -c 'import json,sys; r=json.load(sys.stdin)["data"]["result"]; print(len(r))'
}
three_up() { [ "$(count 'vexlor_up == 1')" = 3 ]; }
until_ok 60 three_up
moving() { [ "$(count 'changes(vexlor_meter_leds_lit[20s]) > 0')" -gt 0 ]; }
until_ok 60 moving

kill "${simpid[5]}"
one_down() { [ "$(count 'vexlor_up{processor="m5"} == 0')" = 1 ] && [ "$(count 'vexlor_up == 1')" = 2 ]; }
until_ok 60 one_down
echo "prometheus sees three processors up, moving meters and a killed one down"
