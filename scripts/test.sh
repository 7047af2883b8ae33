#!/usr/bin/env bash
# Sets everything up, builds, and runs every test: the native unit tests and the suites
# that run the real programs under Wine. Ends with CTest's count of passed and failed tests.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh
ctest --test-dir build --output-on-failure -j2 "$@"
