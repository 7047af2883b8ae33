#!/usr/bin/env bash
# Measures under Wine, at 1024 x 768, 1920 x 1080 and 3840 x 2160, how long a full-screen
# run and the renderer alone take to their first frame, and the steps inside both programs.
# Prints medians, their ratios and the load average. Usage: scripts/bench_startup.sh [rounds]
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh >/dev/null
cmake --build build --target startup_bench >/dev/null
build/tests/bench/startup_bench "${1:-5}"
