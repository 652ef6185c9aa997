#!/usr/bin/env bash
# Builds the Debian package from an already built tree and checks it the way a
# fresh machine meets it: the files it holds, its desktop entry and manual
# pages, and the installed programs run from a throwaway root.
#   bash scripts/check-package.sh [build folder, default build]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$(cd "${1:-$root/build}" && pwd)"

work="$(mktemp -d)"
app_pid=""
cleanup() {
  if [ -n "$app_pid" ]; then kill "$app_pid" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT

fail() { echo "check-package: $*" >&2; exit 1; }

# cpack installs what is built and builds nothing itself.
cmake --build "$build" -j "$(nproc)" --target vexlor vexlor-cli vexlor-sim vexlor-agent manual_pages >/dev/null
(cd "$build" && cpack -G DEB -B "$work/out" >"$work/cpack.log" 2>&1) || { cat "$work/cpack.log"; fail "cpack failed"; }
debs=("$work"/out/*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || fail "expected one package, found: ${debs[*]}"
deb="${debs[0]}"
echo "package: $(basename "$deb")"

# Control fields: a summary, a description, and libraries found by shlibdeps.
version="$(dpkg-deb -f "$deb" Version)"
[ -n "$version" ] || fail "no Version field"
dpkg-deb -f "$deb" Description | sed -n 2p | grep -q . || fail "no long description"
dpkg-deb -f "$deb" Depends | grep -q "libqt6widgets6" || fail "Depends lacks the Qt libraries: $(dpkg-deb -f "$deb" Depends)"

dpkg-deb -c "$deb" | awk '{print $6}' >"$work/contents"
icon_sizes=(16 22 24 32 48 64 128 256)
expected=(./usr/bin/vexlor ./usr/bin/vexlor-cli ./usr/bin/vexlor-sim ./usr/bin/vexlor-agent
          ./usr/share/applications/vexlor.desktop
          ./usr/share/man/man1/vexlor.1.gz ./usr/share/man/man1/vexlor-cli.1.gz ./usr/share/man/man1/vexlor-sim.1.gz
          ./usr/share/man/man1/vexlor-agent.1.gz ./usr/lib/systemd/system/vexlor-agent.service
          ./usr/share/doc/vexlor/examples/vexlor-agent.ini ./usr/share/doc/vexlor/examples/vexlor-alerts.yml
          ./usr/lib/vexlor/libssl.so)
for size in "${icon_sizes[@]}"; do expected+=("./usr/share/icons/hicolor/${size}x${size}/apps/vexlor.png"); done
for file in "${expected[@]}"; do
  grep -qxF "$file" "$work/contents" || fail "the package lacks $file"
done

dest="$work/root"
dpkg-deb -x "$deb" "$dest"
bin="$dest/usr/bin"

desktop-file-validate "$dest/usr/share/applications/vexlor.desktop" || fail "desktop entry is not valid"
grep -qx "Exec=vexlor" "$dest/usr/share/applications/vexlor.desktop" || fail "desktop entry does not start vexlor"

# Every page renders without a warning, and documents exactly the options that
# its program's --help lists (--help itself aside).
options() { grep -oE -- '--[a-z][a-z-]*' | grep -vx -- '--help' | sort -u; }
for page in vexlor vexlor-cli vexlor-sim vexlor-agent; do
  LC_ALL=C MANWIDTH=200 man --warnings -l "$dest/usr/share/man/man1/$page.1.gz" >"$work/$page.txt" 2>"$work/$page.err"
  [ ! -s "$work/$page.err" ] || { cat "$work/$page.err"; fail "man page $page warns"; }
  grep -q "^NAME" "$work/$page.txt" || fail "man page $page has no NAME section"
done
for program in vexlor-cli vexlor-sim vexlor-agent; do
  documented="$(sed -n '/^OPTIONS/,/^[A-Z]/p' "$work/$program.txt" | options)"
  listed="$("$bin/$program" --help | options)"
  [ "$documented" = "$listed" ] ||
    fail "$program: the man page and --help differ:"$'\n'"$(diff <(echo "$documented") <(echo "$listed"))"
done

# The installed programs run, and each tells the package's version.
for program in vexlor vexlor-cli vexlor-sim vexlor-agent; do
  said="$(QT_QPA_PLATFORM=offscreen "$bin/$program" --version)"
  [ "$said" = "$program $version" ] || fail "$program --version says '$said', the package is $version"
done
"$bin/vexlor-sim" --list-models >"$work/models"
grep -q "VexlorFM" "$work/models" || fail "vexlor-sim --list-models lists no VexlorFM"
# The agent loads the package's TLS shim, not whatever libssl.so the machine has.
shim="$(ldd "$bin/vexlor-agent" | sed -n 's|^\s*libssl\.so => \(\S*\) .*|\1|p')"
[ -n "$shim" ] && [ "$(readlink -f "$shim")" = "$(readlink -f "$dest/usr/lib/vexlor/libssl.so")" ] ||
  fail "vexlor-agent does not load the package's TLS shim: $(ldd "$bin/vexlor-agent" | grep libssl)"
# The example config the package ships is one the agent takes.
"$bin/vexlor-agent" --check --config "$dest/usr/share/doc/vexlor/examples/vexlor-agent.ini" >/dev/null ||
  fail "vexlor-agent refuses its own example config"

# The packaged vexlor is stripped; its skin must still be appended to it. Run
# it offscreen in an empty folder (no loose skin files to fall back on), with
# its own settings, lock and temporary folders, until it reports the skin.
file "$bin/vexlor" | grep -q ", stripped" || fail "the packaged vexlor is not stripped"
mkdir -p "$work/run" "$work/config" "$work/tmp" "$work/runtime"
chmod 700 "$work/runtime"
(cd "$work/run" &&
   QT_QPA_PLATFORM=offscreen QT_LOGGING_RULES="vexlor.skin.info=true" XDG_CONFIG_HOME="$work/config" \
   XDG_RUNTIME_DIR="$work/runtime" TMPDIR="$work/tmp" exec "$bin/vexlor" >"$work/vexlor.log" 2>&1) &
app_pid=$!
for _ in $(seq 100); do
  grep -q "skin Vexlor loaded" "$work/vexlor.log" && break
  kill -0 "$app_pid" 2>/dev/null || break
  sleep 0.1
done
grep -q "skin Vexlor loaded, its description from the program's archive" "$work/vexlor.log" || { cat "$work/vexlor.log"; fail "the installed vexlor found no skin"; }
kill "$app_pid" 2>/dev/null || true
wait "$app_pid" 2>/dev/null || true
app_pid=""
echo "package checks passed: $(basename "$deb")"
