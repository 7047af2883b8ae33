#!/usr/bin/env bash
# Measures how long a full-screen run takes to show its first frame, against the renderer
# alone with its pictures already written, at 1024 x 768 on Xvfb and at 1920 x 1080 on Xorg.
# Prints the medians and their ratio. Usage: scripts/bench_startup.sh [rounds]
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh >/dev/null
cmake --build build --target startup_bench >/dev/null
build/tests/bench/startup_bench "${1:-5}"
