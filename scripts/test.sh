#!/usr/bin/env bash
# Sets up the machine, builds everything and runs every test:
#   1. the full build (application, simulator, tools, all tests);
#   2. the browser remote in headless chromium against the simulator;
#   3. the Debian package made from that build, installed into a throwaway root;
#   4. the core tests under AddressSanitizer + UndefinedBehaviorSanitizer;
#   5. the threaded link tests under ThreadSanitizer.
# Everything after the set-up runs in a network namespace with loopback only
# (scripts/netns.sh), so a test that reads the wrong settings fails instead of
# reaching the default host.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"

if [ -z "${VEXLOR_IN_NETNS:-}" ]; then
  bash scripts/setup.sh
  # The browser test's node modules come from the registry: fetched while there is a network.
  if command -v npm >/dev/null && [ ! -d tests/web/node_modules/puppeteer-core ]; then
    (cd tests/web && npm ci --no-audit --no-fund >/dev/null) || echo "Note: the browser test's node modules could not be fetched."
  fi
  source scripts/netns.sh
  export VEXLOR_IN_NETNS=1
  in_loopback_netns bash "$0" "$@"
  exit
fi

export QT_QPA_PLATFORM=offscreen
jobs="$(nproc)"

echo "== full build and tests"
bash scripts/build.sh build -DVEXLOR_WERROR=ON
ctest --test-dir build --output-on-failure -j "$jobs"

echo "== the browser remote end to end in headless chromium"
bash tests/web/run-browser-test.sh build build/web-shots

echo "== the Debian package"
bash scripts/check-package.sh build

echo "== core tests under address and undefined-behaviour sanitizers"
bash scripts/build.sh build-asan -DVEXLOR_WITH_UI=OFF -DVEXLOR_SANITIZE=address,undefined -DCMAKE_BUILD_TYPE=Debug
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir build-asan --output-on-failure -j "$jobs"

echo "== threaded tests under thread sanitizer"
bash scripts/build.sh build-tsan -DVEXLOR_WITH_UI=OFF -DVEXLOR_SANITIZE=thread -DCMAKE_BUILD_TYPE=Debug
TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 \
  ctest --test-dir build-tsan --output-on-failure -j "$jobs" -L threads

echo "== the skin archive signature in programs built by clang"
# One compiler folded the archive's signature into the program's constants once;
# this builds vexlor with clang and scans it.
cmake -S "$root" -B "$root/build-clang" -G Ninja \
  -DVEXLOR_WITH_UI=ON -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 >/dev/null
cmake --build "$root/build-clang" -j "$jobs" --target test_skin_signature
ctest --test-dir build-clang --output-on-failure -R SkinArchiveSignature
