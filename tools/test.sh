#!/usr/bin/env bash
# Sets everything up, builds all configurations (the i686 one only compiles), and runs
# every test: native, under Wine, and end to end under Xvfb. Ends with ctest's summary.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/.." && pwd)
unset http_proxy https_proxy HTTP_PROXY HTTPS_PROXY ftp_proxy FTP_PROXY all_proxy ALL_PROXY
DORVANE_WITH_I686=1 "$here/setup.sh"
cd "$root"
exec ctest --preset native "$@"
