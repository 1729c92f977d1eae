#!/usr/bin/env bash
# Sets up everything a fresh Debian machine of ours needs to build and test Dorvane, then
# configures and builds. Safe to run again: every step is skipped when already done.
#   tools/setup.sh              packages, sources, Wine prefixes, both builds
#   DORVANE_SKIP_BUILD=1 ...    everything but the builds
#   DORVANE_PROGRAM_ONLY=1 ...  build only dorvane.exe (what tools/run.sh needs)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/.." && pwd)
build=$root/build
cd "$root"

log() { printf '\033[1m[setup]\033[0m %s\n' "$*"; }

as_root() { if [ "$(id -u)" = 0 ]; then "$@"; else sudo "$@"; fi; }

# 1. Debian packages. Never wine32 or the i386 architecture: 32-bit programs cannot run
#    on these machines, and a half-installed wine32 breaks the wine launcher. fonts-wine
#    (the faces the program asks for) is only recommended by Wine, so it is named here.
packages=(cmake ninja-build g++ clang libclang-rt-14-dev googletest libgtest-dev
  mingw-w64 g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix
  wine wine64 fonts-wine xvfb xauth xdotool imagemagick python3 dpkg-dev nsis
  fuse3 libfuse3-dev pkg-config)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  log "installing ${missing[*]}"
  as_root env DEBIAN_FRONTEND=noninteractive apt-get update -qq
  as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# 2. libjpeg-turbo sources (Debian ships no mingw build of it). apt-get source needs a
#    deb-src entry for the archive apt already uses.
if ! ls -d "$build"/_src/libjpeg-turbo-*/ >/dev/null 2>&1; then
  if ! apt-get source --print-uris libjpeg-turbo >/dev/null 2>&1; then
    log "adding deb-src entries for the configured Debian archive"
    src=/etc/apt/sources.list.d/debian.sources
    if [ -f "$src" ]; then
      sed 's/^Types: deb$/Types: deb-src/' "$src" | as_root tee /etc/apt/sources.list.d/dorvane-src.sources >/dev/null
    else
      grep -h '^deb ' /etc/apt/sources.list | sed 's/^deb /deb-src /' | as_root tee /etc/apt/sources.list.d/dorvane-src.list >/dev/null
    fi
    as_root env DEBIAN_FRONTEND=noninteractive apt-get update -qq
  fi
  log "fetching libjpeg-turbo sources"
  mkdir -p "$build/_src"
  (cd "$build/_src" && apt-get source -qq libjpeg-turbo >/dev/null 2>&1)
fi

# 3. Wine prefixes inside the build folder: one headless (null display driver) for the
#    unit tests, one for Xvfb (the program and the end-to-end tests).
#    Every prefix sees the same fonts whatever the machine has installed: Wine's own faces
#    are copied into the prefix's Fonts folder (this Wine looks for them in the wrong
#    place), and a prefix-private fontconfig configuration without font folders hides the
#    host's fonts (tools/winerun, tools/wine-server, the test environment and
#    tools/dorvane_session.py point FONTCONFIG_FILE at it). Text is drawn without smoothing.
#    The marker holds the preparation's version (tools/prefix-version): a prefix prepared
#    an older way is made again.
prefix_version=$(cat "$here/prefix-version")
make_prefix() {
  local prefix=$1
  [ "$(cat "$prefix/.dorvane-ready" 2>/dev/null)" = "$prefix_version" ] && return 0
  log "preparing Wine prefix $prefix"
  if [ -d "$prefix" ]; then WINEPREFIX=$prefix wineserver -k >/dev/null 2>&1 || true; fi
  rm -rf "$prefix"
  mkdir -p "$prefix/fontconfig"
  cat >"$prefix/fontconfig/fonts.conf" <<EOF
<?xml version="1.0"?>
<!DOCTYPE fontconfig SYSTEM "urn:fontconfig:fonts.dtd">
<!-- Written by tools/setup.sh: no font folders, so Wine sees only the prefix's own fonts. -->
<fontconfig>
  <cachedir>$prefix/fontconfig/cache</cachedir>
</fontconfig>
EOF
  (
    export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    export FONTCONFIG_FILE=$prefix/fontconfig/fonts.conf
    export LC_ALL=C.UTF-8  # the known locale every run uses (see tools/winerun)
    unset DISPLAY
    wineboot -i </dev/null >/dev/null 2>&1
    cp /usr/share/wine/fonts/* "$prefix/drive_c/windows/Fonts/"
    # Without a display Wine falls back to its null driver: hidden windows, timers and
    # GDI drawing work headless.
    wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /t REG_SZ /d x11,null /f >/dev/null 2>&1
    wine reg add 'HKCU\Control Panel\Desktop' /v FontSmoothing /t REG_SZ /d 0 /f >/dev/null 2>&1
    # A crash must end the process with a failure code instead of waiting in a debugger
    # (with the default handling a crashing test can pass).
    wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Debugger /t REG_SZ /d '' /f >/dev/null 2>&1
    wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Auto /t REG_SZ /d 0 /f >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
    wineserver -w
  )
  echo "$prefix_version" >"$prefix/.dorvane-ready"
}
make_prefix "$build/wine"
make_prefix "$build/wine-x11"

# Copies of the headless prefix at the other display scales (125, 150 and 200 %), for the
# tests that render the windows at each, and of the display prefix at 150 % for the
# end-to-end screenshots at that scale: the DPI every program of a prefix sees is the
# prefix's LogPixels, under both keys Wine reads it from.
make_scaled_prefix() {
  local base=$1 dpi=$2 prefix=$build/$1-$2
  [ "$(cat "$prefix/.dorvane-ready" 2>/dev/null)" = "$prefix_version dpi $dpi" ] && return 0
  log "preparing Wine prefix $prefix"
  if [ -d "$prefix" ]; then WINEPREFIX=$prefix wineserver -k >/dev/null 2>&1 || true; fi
  rm -rf "$prefix"
  cp -a "$build/$base" "$prefix"
  rm -f "$prefix/.dorvane-ready"
  rm -rf "$prefix/fontconfig/cache"
  sed -i "s|$build/$base/fontconfig|$prefix/fontconfig|" "$prefix/fontconfig/fonts.conf"
  (
    export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    export FONTCONFIG_FILE=$prefix/fontconfig/fonts.conf LC_ALL=C.UTF-8
    unset DISPLAY
    wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
    wine reg add 'HKLM\System\CurrentControlSet\Hardware Profiles\Current\Software\Fonts' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
    wineserver -w
  )
  echo "$prefix_version dpi $dpi" >"$prefix/.dorvane-ready"
}
for dpi in 120 144 192; do make_scaled_prefix wine "$dpi"; done
make_scaled_prefix wine-x11 144

# 4. Configure and build: the Windows build first (the native build's ctest includes its
#    tests), then the native one; the i686 build only has to compile.
if [ -n "${DORVANE_PROGRAM_ONLY:-}" ]; then
  log "building dorvane.exe"
  [ -f "$build/mingw64/CMakeCache.txt" ] || cmake --preset mingw64 >/dev/null
  cmake --build --preset mingw64 --target dorvane
elif [ -z "${DORVANE_SKIP_BUILD:-}" ]; then
  for preset in mingw64 native ${DORVANE_WITH_I686:+mingw32}; do
    log "building $preset"
    [ -f "$build/$preset/CMakeCache.txt" ] || cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset"
  done
fi
log "ready"
