#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the tool need,
# only those that are missing. "deps.sh package": only those that building
# the Debian package needs (scripts/package.sh), without the Windows and
# sanitizer stages' tools.
set -euo pipefail
# Ninja and LLVM's linker make the builds of the test command faster.
build=(cmake make g++ pkg-config libgtest-dev libgmock-dev libbenchmark-dev
       qt6-base-dev qt6-svg-dev ninja-build lld)
# The package: git for its version, dpkg-shlibdeps (dpkg-dev) and file for CPack, lintian,
# desktop-file-validate and appstreamcli.
package=(git dpkg-dev file lintian desktop-file-utils appstream)
# The Windows stage of the tests: mingw-w64 with the POSIX thread model
# (std::thread) and 64-bit wine (wine64 alone runs 64-bit programs; no i386
# architecture is needed); clang for the fuzz targets; poppler-utils
# (pdftotext) to read the report's PDF back.
tests=(clang libclang-rt-14-dev g++-mingw-w64-x86-64-posix wine wine64 poppler-utils)
if [[ ${1:-} == package ]]; then
  packages=("${build[@]}" "${package[@]}")
else
  packages=("${build[@]}" "${package[@]}" "${tests[@]}")
fi
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
