#!/usr/bin/env bash
# Builds the tool and starts it; arguments go to the program (-J, -E, -V).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh --target vxrmgr
exec build/bin/vxrmgr "$@"
