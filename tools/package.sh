#!/usr/bin/env bash
# Builds the release of both targets (presets release-x64 and release-x86: small, stripped,
# static) and writes the packages to build/package/:
#   dorvane-<version>-setup.exe           the installer (x64 program; packaging/dorvane.nsi)
#   dorvane-<version>-portable-x64.zip    dorvane.exe and README.txt
#   dorvane-<version>-portable-x86.zip
# Works on a fresh clone: tools/setup.sh installs what is missing first (DORVANE_SKIP_SETUP=1
# skips that when the caller has just run it).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/.." && pwd)
cd "$root"
[ -n "${DORVANE_SKIP_SETUP:-}" ] || DORVANE_SKIP_BUILD=1 "$here/setup.sh"

version=$(sed -n 's/^project(Dorvane VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
for preset in release-x64 release-x86; do
  # Configured every time: a build folder from before a change of the presets keeps its
  # old cache values (link-time optimisation off, say) unless they are set again.
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
done

out=$root/build/package
stage=$root/build/package-stage
rm -rf "$out" "$stage"
mkdir -p "$out" "$stage"
sed "s/@VERSION@/$version/g" packaging/README.txt | sed 's/$/\r/' > "$stage/README.txt"

makensis -V2 -DVERSION="$version" -DEXE="$root/build/release-x64/main/dorvane.exe" \
  -DREADME="$stage/README.txt" -DOUTFILE="$out/dorvane-$version-setup.exe" packaging/dorvane.nsi

for arch in x64 x86; do
  python3 - "$out/dorvane-$version-portable-$arch.zip" "$root/build/release-$arch/main/dorvane.exe" "$stage/README.txt" <<'PY'
import sys, zipfile
zip_path, exe, readme = sys.argv[1:]
with zipfile.ZipFile(zip_path, "w", zipfile.ZIP_DEFLATED, compresslevel=9) as z:
    for path, name in ((exe, "dorvane.exe"), (readme, "README.txt")):
        info = zipfile.ZipInfo(name, date_time=(2026, 1, 1, 0, 0, 0))
        info.compress_type = zipfile.ZIP_DEFLATED
        info.external_attr = 0o644 << 16
        with open(path, "rb") as f:
            z.writestr(info, f.read())
PY
done
rm -rf "$stage"
for arch in x64 x86; do
  printf '%-28s %9d bytes\n' "dorvane.exe ($arch)" "$(stat -c %s "build/release-$arch/main/dorvane.exe")"
done
(cd "$out" && ls -l --time-style=+ | tail -n +2 | awk '{printf "%-40s %9d bytes\n", $NF, $5}')
