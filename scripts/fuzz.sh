#!/usr/bin/env bash
# Builds and runs the libFuzzer target for the control description parser.
#   scripts/fuzz.sh [seconds] [extra libFuzzer options...]
# Needs clang-14 and libclang-rt-14-dev (scripts/setup.sh installs them). The
# corpus starts from the worked example and a few written descriptions.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
seconds="${1:-60}"; shift || true
out="$root/build-fuzz"
cxx="$(command -v clang++-14 || command -v clang++)"
mkdir -p "$out/corpus"

flags=(-std=c++20 -O1 -g -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all -I"$root/src")
sources=("$root"/src/description/DescriptionParser.cpp "$root"/src/description/DescriptionTree.cpp
         "$root"/src/description/RuleCounter.cpp)
"$cxx" "${flags[@]}" "${sources[@]}" "$root/tests/fuzz/fuzz_description.cpp" -o "$out/fuzz_description"

# Seeds: written by the description writer through a small generator program.
"$cxx" -std=c++20 -O1 -I"$root/src" -I"$root/tests" "$root/tests/fuzz/make_seeds.cpp" \
  "$root"/src/description/Description{Writer,Builder,Tree}.cpp "$root"/src/description/RuleCounter.cpp \
  -o "$out/make_seeds"
"$out/make_seeds" "$out/corpus"

"$out/fuzz_description" "$out/corpus" -max_total_time="$seconds" -max_len=4096 -rss_limit_mb=1024 "$@"
