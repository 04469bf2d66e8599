#!/usr/bin/env bash
# Builds the Debian package tavemo_<version>_<arch>.deb in the build folder
# (default: build, the test command's; an existing one is reused, so only
# what changed is built), then checks it: lintian without errors, and the
# desktop entry and the AppStream file of the unpacked package (dpkg -x)
# valid, every installed file there, and its programs' --version the
# package's version.
#
#   scripts/package.sh [BUILD_FOLDER]
#
# The version is the project's, with +git<count>.<hash> between releases
# (cmake/Version.cmake). Prints the package's path as its last line.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh package
build=${1:-build}
jobs=$(nproc)

# A new folder is configured as the test command configures it, so that
# both can share it; only the package's targets are built here.
if [[ ! -f $build/CMakeCache.txt ]]; then
  cmake -GNinja -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2" >/dev/null
fi
# Only what the package holds; the man pages run the programs.
cmake --build "$build" -j"$jobs" --target tavemo-config tavemo-cli tavemo-unitsim tavemo_man tavemo_version
version=$(cat "$build/generated/version.txt")
arch=$(dpkg --print-architecture)
deb=$build/tavemo_${version}_${arch}.deb
rm -f "$build"/tavemo_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
[[ -f $deb ]] || { echo "package.sh: $deb was not made" >&2; exit 1; }

# lintian: errors fail; warnings and notes are shown.
lintian --fail-on error --suppress-tags-from-file /dev/null "$deb"

root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg -x "$deb" "$root"
for f in bin/tavemo-config bin/tavemo-cli bin/tavemo-unitsim \
         share/applications/org.tavemo.ConfigurationTool.desktop \
         share/metainfo/org.tavemo.ConfigurationTool.metainfo.xml \
         share/icons/hicolor/scalable/apps/org.tavemo.ConfigurationTool.svg \
         share/man/man1/tavemo-config.1.gz share/man/man1/tavemo-cli.1.gz share/man/man1/tavemo-unitsim.1.gz \
         share/bash-completion/completions/tavemo-cli lib/udev/rules.d/60-tavemo-serial.rules \
         share/doc/tavemo/copyright share/doc/tavemo/changelog.gz; do
  [[ -f $root/usr/$f ]] || { echo "package.sh: the package lacks /usr/$f" >&2; exit 1; }
done
desktop-file-validate "$root"/usr/share/applications/*.desktop
appstreamcli validate --no-net "$root"/usr/share/metainfo/*.metainfo.xml >/dev/null
# The unpacked programs run and name the package's version.
for program in tavemo-cli tavemo-unitsim tavemo-config; do
  printed=$(QT_QPA_PLATFORM=offscreen "$root/usr/bin/$program" --version)
  [[ $printed == "$program $version" ]] || { echo "package.sh: $program --version printed '$printed'" >&2; exit 1; }
done
echo "$(realpath "$deb")"
