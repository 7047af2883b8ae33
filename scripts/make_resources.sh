#!/usr/bin/env bash
# Redraws the pictures built into Glowmere.scr (program icon, link cursor) and the
# dialog's radio marks and panel texture at 96 dpi (the pictures their drawing is held to)
# into saver/resources/. The unit test BuiltInPictures (saver_run_test) fails when
# the committed files differ from what the code draws, so run this after changing it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build.sh >/dev/null
build/saver/resources/glowmere_make_resources saver/resources
