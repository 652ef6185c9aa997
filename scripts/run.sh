#!/usr/bin/env bash
# Sets up the machine, builds, starts the processor simulator on 127.0.0.1 and
# runs the application against it:
#   bash scripts/run.sh [simulator options, e.g. --model 5]
# With a display the window opens there. Without one the application runs on
# a private Xvfb: the script connects it through the window, saves a
# screenshot of the connected window in the build folder, and exits it.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"

if [ -z "${VEXLOR_IN_NETNS:-}" ]; then
  bash scripts/setup.sh
  cmake -S . -B build -G Ninja >/dev/null
  cmake --build build -j "$(nproc)" --target vexlor vexlor-sim
  # The headless run happens where only loopback exists (scripts/netns.sh).
  if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    source scripts/netns.sh
    export VEXLOR_IN_NETNS=1
    in_loopback_netns bash "$0" "$@"
    exit
  fi
fi

run="$root/build/run"
mkdir -p "$run"
lock=1234
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
}
trap cleanup EXIT

# The simulator picks a free UDP port on 127.0.0.1 and says which; a lively
# model (every meter moving) unless the options name another.
build/sim/vexlor-sim --port 0 --lock "$lock" --verbose --model 12 "$@" 2>"$run/sim.log" >"$run/sim.out" &
pids+=($!)
port=""
for _ in $(seq 100); do
  port="$(grep -o 'udp 127.0.0.1:[0-9]*' "$run/sim.out" | cut -d: -f2 || true)"
  [ -n "$port" ] && break
  sleep 0.1
done
[ -n "$port" ] || { echo "The simulator did not start:"; cat "$run/sim.out" "$run/sim.log"; exit 1; }
echo "Simulator: $(head -1 "$run/sim.out" | sed 's/^vexlor-sim: //') on 127.0.0.1:$port (its exchanges: $run/sim.log)"

# The application's settings live in their own folder for this run, pointed at
# the simulator on loopback; the default host is never contacted.
export XDG_CONFIG_HOME="$run/config"
mkdir -p "$XDG_CONFIG_HOME/Tessavorn"
cat > "$XDG_CONFIG_HOME/Tessavorn/Vexlor.ini" <<CONF
[Settings]
sHost=127.0.0.1
dwPort=$port
sPortName=TCP
dwLockCode=$lock
CONF
export XDG_RUNTIME_DIR="$run/runtime"
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
cd "$run"

if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  echo "Press Connect: the settings already point at the simulator."
  "$root/build/src/app/vexlor"
  exit 0
fi

# No display: a private X server that ends by itself at the latest after 5 minutes.
rm -f "$run/display"
timeout 300 Xvfb -displayfd 3 -nolisten tcp -screen 0 1024x768x24 3>"$run/display" 2>/dev/null &
pids+=($!)
display=""
for _ in $(seq 150); do
  display="$(cat "$run/display" 2>/dev/null || true)"
  [ -n "$display" ] && break
  sleep 0.1
done
[ -n "$display" ] || { echo "Xvfb did not start"; exit 1; }
export DISPLAY=":$display" QT_QPA_PLATFORM=xcb
timeout 120 "$root/build/src/app/vexlor" &
app=$!
pids+=($app)

skin="$root/assets/skins/Vexlor/skin.ini"
skin_long() { grep -o "LONG($1::$2, [0-9]*)" "$skin" | grep -o '[0-9]*)' | tr -d ')'; }
window="$(timeout 20 xdotool search --sync --onlyvisible --name 'Vexlor Remote' | head -1)"
eval "$(xdotool getwindowgeometry --shell "$window")"   # X, Y, WIDTH, HEIGHT

echo "No display: the window runs on a virtual one ($DISPLAY); connecting through it."
xdotool mousemove --sync $((X + $(skin_long BtnConnect offset_left) + 40)) $((Y + $(skin_long BtnConnect offset_top) + 12)) click 1
# Ready when the version names the window and the progress window has gone.
for _ in $(seq 300); do
  title="$(xdotool getwindowname "$window" 2>/dev/null || true)"
  shown="$( (xdotool search --onlyvisible --class vexlor 2>/dev/null || true) | wc -l)"
  [[ "$title" == "Remote V"* ]] && [ "$shown" -eq 1 ] && break
  sleep 0.1
done
sleep 1   # let the meters move
shot="$root/build/vexlor-connected.png"
/usr/bin/import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$shot"
echo "Connected as \"$title\"; screenshot of the connected window: $shot"

xdotool mousemove --sync $((X + $(skin_long BtnExit offset_left) + 8)) $((Y + $(skin_long BtnExit offset_top) + 8)) click 1
code=0
wait "$app" || code=$?
echo "Exit pressed: the application disconnected and ended with code $code."
