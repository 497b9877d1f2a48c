#!/usr/bin/env bash
# Builds the tool and starts it; arguments go to the program (-J, -E or -V first, then a settings file to open).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh --target vxrmgr
exec build/bin/vxrmgr "$@"
