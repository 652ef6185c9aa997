# Sourced by test.sh and run.sh: runs a command where the only network is
# loopback, so that nothing a test or a demo does can reach another address.
#   in_loopback_netns COMMAND...
# Inside a fresh network namespace (unshare -rn, then lo up) wherever the
# kernel allows one; otherwise says so in one line and runs it as it is.

# Fails unless every interface that has an address is the loopback one. Reads
# the addresses only; nothing is sent anywhere.
check_only_loopback() {
  local others
  others="$(ip -o addr show | awk '{print $2}' | sort -u | grep -vx lo || true)"
  if [ -n "$others" ]; then
    echo "Interfaces other than loopback have addresses here: $others" >&2
    return 1
  fi
  echo "Network: loopback only (checked: no other interface has an address)."
}

in_loopback_netns() {
  if unshare -rn true 2>/dev/null; then
    unshare -rn bash -c 'ip link set lo up && source "$0" && check_only_loopback && exec "$@"' \
      "${BASH_SOURCE[0]}" "$@"
  else
    echo "Note: this kernel refuses a private network namespace (unshare -rn); running on the machine's network."
    "$@"
  fi
}
