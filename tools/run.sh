#!/usr/bin/env bash
# Sets everything up, builds, and runs dorvane.exe under Wine with our maker's server on
# 127.0.0.1. Without a display it runs under Xvfb, saves a screenshot and prints its path.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
DORVANE_PROGRAM_ONLY=1 "$here/setup.sh"
exec python3 "$here/run_program.py" "$@"
