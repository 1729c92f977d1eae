#!/usr/bin/env bash
# Builds and runs the refresh benchmark under Wine (headless). The benchmark gets a Wine
# prefix of its own with a third drive (y:) beside c: and z:.
#   DORVANE_BENCH_DPI=144 tools/bench.sh   the same at another display scale (120, 144, 192)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/.." && pwd)
"$here/setup.sh"
cmake --build --preset mingw64 --target tick_benchmark
base=$root/build/wine${DORVANE_BENCH_DPI:+-$DORVANE_BENCH_DPI}
prefix=$root/build/wine-bench${DORVANE_BENCH_DPI:+-$DORVANE_BENCH_DPI}
# Copied again whenever setup.sh has prepared the headless prefix anew.
if ! cmp -s "$prefix/.dorvane-ready" "$base/.dorvane-ready"; then
  rm -rf "$prefix"
  cp -a "$base" "$prefix"
  sed -i "s|$base/fontconfig|$prefix/fontconfig|" "$prefix/fontconfig/fonts.conf"
  rm -rf "$prefix/fontconfig/cache"
fi
mkdir -p "$root/build/bench-drive"
ln -sfn "$root/build/bench-drive" "$prefix/dosdevices/y:"
export WINEPREFIX=$prefix
"$here/wine-server" start "$prefix" >/dev/null
trap '"$here/wine-server" stop "$prefix" >/dev/null' EXIT
WINEPREFIX=$prefix "$here/winerun" "$root/build/mingw64/bench/tick_benchmark.exe"
