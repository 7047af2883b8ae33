#!/usr/bin/env bash
# Configures and builds both configurations into build/: the native one (portable code,
# unit tests, Wine tests) and, inside it, the cross one (build/win64/bin holds
# Glowmere.dll and Glowmere.scr).
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Debug >/dev/null
cmake --build build
