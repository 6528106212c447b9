#!/usr/bin/env bash
# Builds the Debian package from a build folder, validates its AppStream
# metadata and its desktop file, unpacks it into a scratch root and checks
# that everything lands where the desktop looks for it. The metadata is also
# written and validated with a screenshot address, as a release gives one.
#
#   package_test.sh BUILD_DIR VERSION RELEASE_DATE METAINFO_SCRIPT
set -euo pipefail

build="$1"
version="$2"
release_date="$3"
metainfo_script="$4"
for tool in cpack dpkg-deb dpkg-shlibdeps appstreamcli desktop-file-validate; do
  if ! command -v "$tool" >/dev/null; then
    echo "package: skipped, $tool is not installed (scripts/bootstrap installs it)"
    exit 77
  fi
done

work="$(mktemp -d "${TMPDIR:-/tmp}/cache-sorter-package.XXXXXX")"
trap 'rm -rf "$work"' EXIT
failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

(cd "$work" && cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1) ||
  { cat "$work/cpack.log"; exit 1; }
deb="$work/out/cache-sorter_${version}_$(dpkg --print-architecture).deb"
[ -f "$deb" ] || { ls "$work/out"; echo "FAIL: no $(basename "$deb")"; exit 1; }
echo "package: $(basename "$deb")"
dpkg-deb -c "$deb" | awk '{ print "  " $6 }'

depends="$(dpkg-deb -f "$deb" Depends)"
echo "package: Depends: $depends"
grep -q 'libqt6widgets6' <<<"$depends" || fail "the dependencies were not found by dpkg-shlibdeps"
grep -q 'libyaml-cpp' <<<"$depends" || fail "the YAML library Lutris' files are read with is not a dependency"
grep -q 'libarchive13' <<<"$depends" || fail "the archive library map packs are read with is not a dependency"

root="$work/root"
dpkg -x "$deb" "$root"
for file in usr/bin/cache-sorter usr/share/applications/cache-sorter.desktop \
  usr/share/icons/hicolor/scalable/apps/cache-sorter.svg usr/share/icons/hicolor/256x256/apps/cache-sorter.png \
  usr/share/metainfo/org.cachesorter.CacheSorter.metainfo.xml; do
  [ -f "$root/$file" ] || fail "not installed: /$file"
done
[ -x "$root/usr/bin/cache-sorter" ] || fail "the program is not executable"

metainfo="$root/usr/share/metainfo/org.cachesorter.CacheSorter.metainfo.xml"
grep -q "<release version=\"$version\"" "$metainfo" || fail "the metadata does not name release $version"
echo "package: appstreamcli validate --no-net"
appstreamcli validate --no-net "$metainfo" || fail "the AppStream metadata is not valid"
# A reserved domain: the address only has to have the form of a web address.
with_screenshot="$work/with-screenshot.metainfo.xml"
cmake -DOUTPUT="$with_screenshot" -DVERSION="$version" -DRELEASE_DATE="$release_date" \
  -DSCREENSHOT_URL=https://screenshots.invalid/cache-sorter.png -P "$metainfo_script"
grep -q "<image>https://screenshots.invalid/cache-sorter.png</image>" "$with_screenshot" ||
  fail "the metadata does not list the screenshot"
echo "package: appstreamcli validate --no-net, with a screenshot address"
appstreamcli validate --no-net "$with_screenshot" || fail "the AppStream metadata with a screenshot is not valid"
echo "package: desktop-file-validate"
desktop-file-validate "$root/usr/share/applications/cache-sorter.desktop" || fail "the desktop file is not valid"

if [ "$failures" -eq 0 ]; then
  echo "1 passed, 0 failed"
else
  echo "0 passed, 1 failed"
  exit 1
fi
