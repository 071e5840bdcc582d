#!/usr/bin/env bash
# Checks what an installation and the Debian package hold, without touching the
# machine: installs into a temporary prefix, validates the desktop entry and the
# AppStream file with Debian's tools, builds the .deb with CPack, runs lintian
# on it (no error, no warning), lists and extracts it and runs the packaged
# programs' --version.
#
#   scripts/check-package.sh [BUILD_DIR]     (default build)
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
app=org.pixolane.Pixolane

fail() {
  echo "check-package: $*" >&2
  exit 1
}

echo "== cmake --install into a temporary prefix"
cmake --install "$build" --prefix "$work/usr" >/dev/null
for f in bin/pixolane bin/pixolane-cli "share/applications/$app.desktop" \
  "share/metainfo/$app.metainfo.xml" share/icons/hicolor/scalable/apps/pixolane.svg \
  share/icons/hicolor/16x16/apps/pixolane.png share/icons/hicolor/256x256/apps/pixolane.png \
  share/man/man1/pixolane.1.gz share/man/man1/pixolane-cli.1.gz; do
  [ -f "$work/usr/$f" ] || fail "not installed: $f"
done

echo "== desktop-file-validate"
desktop-file-validate "$work/usr/share/applications/$app.desktop"
echo "== appstreamcli validate --no-net"
appstreamcli validate --no-net "$work/usr/share/metainfo/$app.metainfo.xml"
grep -q "<release version=\"$version\"" "$work/usr/share/metainfo/$app.metainfo.xml" ||
  fail "the metainfo file does not name release $version"
grep -q "<project_license>GPL-3.0-or-later</project_license>" \
  "$work/usr/share/metainfo/$app.metainfo.xml" || fail "the metainfo file names no licence"

echo "== cpack -G DEB"
(cd "$build" && cpack -G DEB -B "$work/deb" >"$work/cpack.log" 2>&1) || {
  cat "$work/cpack.log"
  fail "cpack failed"
}
deb=$(ls "$work"/deb/pixolane_"$version"_*.deb)
depends=$(dpkg-deb --field "$deb" Depends)
echo "$(basename "$deb"): Depends: $depends"
for p in libqt6widgets6 libqt6webenginewidgets6 libvips42 libssh-4 libcurl4 qt6-translations-l10n; do
  [[ $depends == *"$p"* ]] || fail "the package does not depend on $p"
done
echo "== lintian"
lintian_status=0
lintian_out=$(lintian --fail-on error,warning "$deb" 2>&1) || lintian_status=$?
grep -v 'running with root privileges' <<<"$lintian_out" || true
[ "$lintian_status" = 0 ] || fail "lintian reports errors or warnings"
dpkg-deb --info "$deb" | grep -qE '^ *[0-9]+ bytes, +[0-9]+ lines +\* *post(inst|rm)' &&
  fail "the package has maintainer scripts (ldconfig?)"
contents=$(dpkg-deb --contents "$deb")
for f in usr/bin/pixolane usr/bin/pixolane-cli "usr/share/applications/$app.desktop" \
  usr/share/man/man1/pixolane-cli.1.gz usr/share/doc/pixolane/copyright; do
  [[ $contents == *"./$f"* ]] || fail "not in the package: $f"
done
[[ $contents == *"/pixolane/libpixolane_vips.so"* ]] || fail "not in the package: the libvips module"
dpkg-deb --extract "$deb" "$work/extracted"
out=$("$work/extracted/usr/bin/pixolane-cli" --version)
[ "$out" = "pixolane-cli $version" ] || fail "packaged pixolane-cli --version said: $out"
# A PNG takes the libvips road: the packaged program must find its module.
vips black "$work/grey.png" 64 48 --bands 3
env -u PIXOLANE_VIPS_MODULE "$work/extracted/usr/bin/pixolane-cli" -d "$work/gallery" -n g \
  --replace --quiet "$work/grey.png" >/dev/null || fail "the packaged pixolane-cli cannot draw a PNG"
[ -s "$work/gallery/picg/grey.png" ] || fail "the packaged pixolane-cli wrote no picture for a PNG"
out=$("$work/extracted/usr/bin/pixolane" --version)
[ "$out" = "pixolane $version" ] || fail "packaged pixolane --version said: $out"
echo "check-package: $(basename "$deb") and the installation are sound"
