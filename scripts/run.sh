#!/usr/bin/env bash
# The main job: builds the tools and runs them on the embedded default site.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)"
def=site/toolbar/ZAN.tbd
echo "== zan-tbd check $def"
./build/tools/zan-tbd check "$def"
echo "== zan-tbd dump $def"
./build/tools/zan-tbd dump "$def"
echo
