#!/usr/bin/env bash
# Builds the Debian package from a build tree, takes it apart as an
# installer would, and checks its files, its declared dependencies and that
# the station it holds answers --version without a display.
#   package_test.sh BUILD_DIR VERSION DATA_FROM_BIN
set -euo pipefail
build="$1"
version="$2"
data_from_bin="$3"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
fail() {
  echo "FAIL: $*" >&2
  exit 1
}

(cd "$build" && cpack -G DEB -B "$work/out" >"$work/cpack.log" 2>&1) || {
  cat "$work/cpack.log" >&2
  fail "cpack -G DEB failed"
}
debs=("$work"/out/corvale2_*.deb)
deb="${debs[0]}"
[ -f "$deb" ] || fail "no corvale2_*.deb made"
echo "package: $(basename "$deb")"

# Exactly these files, no stray build or test output.
expected="./usr/bin/corvale-export
./usr/bin/corvale-flume-sim
./usr/bin/corvale2
./usr/share/applications/corvale2.desktop
./usr/share/corvale2/icons/greenlight.bmp
./usr/share/corvale2/icons/redlight.bmp
./usr/share/doc/corvale2/LICENSE
./usr/share/doc/corvale2/README.md
./usr/share/icons/hicolor/scalable/apps/corvale2.svg"
actual="$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { print $NF }' | sort)"
if [ "$actual" != "$expected" ]; then
  diff <(echo "$expected") <(echo "$actual") >&2 || true
  fail "file list differs (< expected, > in the package)"
fi

# The control file: name, version, architecture, and the run-time packages
# of every library the two programs link.
control="$(dpkg-deb -I "$deb" control)"
field() { awk -v f="$1:" '$1 == f { $1 = ""; sub(/^ /, ""); print }' <<<"$control"; }
[ "$(field Package)" = corvale2 ] || fail "Package: $(field Package)"
[ "$(field Version)" = "$version" ] || fail "Version: $(field Version), not $version"
[ "$(field Architecture)" = "$(dpkg --print-architecture)" ] || fail "Architecture: $(field Architecture)"
depends="$(field Depends)"
echo "depends: $depends"
names="$(tr ',' '\n' <<<"$depends" | awk '{ print $1 }')"
for p in libc6 libstdc++6 libqt6core6 libqt6gui6 libqt6widgets6 libqt6serialport6 \
  libqcustomplot2.1-qt6 libnetcdf19; do
  grep -qxF "$p" <<<"$names" || fail "Depends lacks $p"
done
# No development package is needed at run time.
if grep -q -- '-dev$' <<<"$names"; then fail "Depends names a -dev package"; fi

dpkg-deb -x "$deb" "$work/root"
root="$work/root"

# The station looks for its images at this path from its own folder.
for f in redlight.bmp greenlight.bmp; do
  [ -s "$root/usr/bin/$data_from_bin/icons/$f" ] || fail "$f not at bin/$data_from_bin/icons"
  file -b "$root/usr/bin/$data_from_bin/icons/$f" | grep -q '^PC bitmap' || fail "$f is not a BMP"
done

desktop="$root/usr/share/applications/corvale2.desktop"
grep -qx 'Exec=corvale2' "$desktop" || fail "desktop entry does not start corvale2"
grep -qx 'Icon=corvale2' "$desktop" || fail "desktop entry does not name the icon"
grep -qx 'Type=Application' "$desktop" || fail "desktop entry is no application"

# No display: --version and --help are answered before one is needed.
run() { env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$@"; }
got="$(run "$root/usr/bin/corvale2" --version)" || fail "corvale2 --version failed"
[ "$got" = "Corvale2 $version" ] || fail "corvale2 --version said '$got'"
run "$root/usr/bin/corvale2" --help | grep -q -- '--version' || fail "corvale2 --help lists no --version"
run "$root/usr/bin/corvale-flume-sim" --help >/dev/null || fail "corvale-flume-sim --help failed"
run "$root/usr/bin/corvale-export" --help | grep -q -- '--utc-offset' || fail "corvale-export --help failed"
echo "ok: $got"
