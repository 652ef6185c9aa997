#!/usr/bin/env bash
# Builds every libFuzzer target tests/fuzz/fuzz_<name>.cpp with clang against a
# clang build of vexlor_core, and runs one or all of them for a while:
#   scripts/fuzz.sh [fuzz_<name>|all] [seconds per target, default 60]
# Seeds come from tests/fuzz/corpus/<target>/ (committed), a dictionary from
# tests/fuzz/<target>.dict when present, and from a generator
# tests/fuzz/seeds_<target>.cpp when present; new inputs go to build-fuzz/corpus/.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
which="${1:-all}"
seconds="${2:-60}"
dir="$root/build-fuzz"
cxx="${FUZZ_CXX:-clang++-14}"
cc="${FUZZ_CC:-clang-14}"

cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_COMPILER="$cxx" -DCMAKE_C_COMPILER="$cc" -DVEXLOR_WITH_UI=OFF \
  -DVEXLOR_SANITIZE=address,undefined -DCMAKE_CXX_FLAGS=-fsanitize=fuzzer-no-link >/dev/null
cmake --build "$dir" --target vexlor_core

mkdir -p "$dir/fuzz"
for source in "$root"/tests/fuzz/fuzz_*.cpp; do
  name="$(basename "$source" .cpp)"
  [ "$which" = all ] || [ "$which" = "$name" ] || continue
  "$cxx" -std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all \
    -I"$root/src" -I"$root/tests" "$source" "$dir/src/libvexlor_core.a" -lz -lpthread -o "$dir/fuzz/$name"
  corpus="$dir/corpus/$name"
  mkdir -p "$corpus"
  generator="$root/tests/fuzz/seeds_$name.cpp"
  if [ -f "$generator" ]; then
    "$cxx" -std=c++20 -O1 -I"$root/src" -I"$root/tests" "$generator" "$dir/src/libvexlor_core.a" \
      -fsanitize=address,undefined -lz -lpthread -o "$dir/fuzz/seeds_$name"
    "$dir/fuzz/seeds_$name" "$corpus"
  fi
  options=(-max_total_time="$seconds" -rss_limit_mb=2048 -timeout=10)
  [ -f "$root/tests/fuzz/$name.dict" ] && options+=(-dict="$root/tests/fuzz/$name.dict")
  seeds=()
  [ -d "$root/tests/fuzz/corpus/$name" ] && seeds=("$root/tests/fuzz/corpus/$name")
  echo "== $name for ${seconds}s"
  "$dir/fuzz/$name" "${options[@]}" "$corpus" "${seeds[@]}"
done
