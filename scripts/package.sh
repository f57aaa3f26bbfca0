#!/usr/bin/env bash
# Builds a Release build and the Debian package f2tp_<version>_amd64.deb in
# build/package, then checks it with lintian (errors fail the script). The
# tools it needs are installed from Debian with apt-get when missing.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
tools=(dpkg-dev lintian file gzip)
missing=()
for p in "${tools[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo_cmd=()
  [ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  "${sudo_cmd[@]}" apt-get update -qq
  "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

jobs=$(nproc 2>/dev/null || echo 2)
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S . -B build/package -G Ninja -DCMAKE_BUILD_TYPE=Release -DF2TP_TESTS=OFF \
  "${launcher[@]}"
cmake --build build/package -j "$jobs"
rm -f build/package/f2tp_*.deb
(cd build/package && cpack -G DEB)
deb=$(ls build/package/f2tp_*_amd64.deb)

echo "Package: $deb"
dpkg-deb -I "$deb" | sed -n '/Package:/,$p'
dpkg-deb -c "$deb"
# Errors fail the build; warnings are shown.
lintian --fail-on error --no-tag-display-limit "$deb"
echo "Install with: sudo apt-get install ./$deb"
