#!/usr/bin/env bash
# Builds the Debian package from a build tree, has Debian's checker (lintian)
# look at it and fails on any error it reports, takes it apart as an
# installer would, and checks its files, its declared dependencies, that
# the station it holds answers --version without a display and that the
# demo launcher runs the station on the simulator with settings of its own.
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
./usr/bin/corvale2-demo
./usr/share/applications/corvale2-demo.desktop
./usr/share/applications/corvale2.desktop
./usr/share/corvale2/icons/greenlight.bmp
./usr/share/corvale2/icons/redlight.bmp
./usr/share/doc/corvale2/README.md
./usr/share/doc/corvale2/changelog.gz
./usr/share/doc/corvale2/copyright
./usr/share/icons/hicolor/scalable/apps/corvale2.svg
./usr/share/man/man1/corvale-export.1.gz
./usr/share/man/man1/corvale-flume-sim.1.gz
./usr/share/man/man1/corvale2-demo.1.gz
./usr/share/man/man1/corvale2.1.gz"
actual="$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { print $NF }' | sort)"
if [ "$actual" != "$expected" ]; then
  diff <(echo "$expected") <(echo "$actual") >&2 || true
  fail "file list differs (< expected, > in the package)"
fi

# Debian's checker: any error fails the package (warnings are shown).
command -v lintian >/dev/null || fail "lintian is not installed (scripts/setup --test installs it)"
lintian --fail-on error "$deb" >"$work/lintian.log" 2>&1 ||
  { cat "$work/lintian.log" >&2; fail "lintian reports errors"; }
sed 's/^/lintian: /' "$work/lintian.log"

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
for p in corvale2 corvale-flume-sim corvale-export; do
  file -b "$root/usr/bin/$p" | grep -q ', stripped' || fail "$p is not stripped"
done
for p in corvale2 corvale-flume-sim corvale-export corvale2-demo; do
  zcat "$root/usr/share/man/man1/$p.1.gz" | grep -q "^$p \\\\- " || fail "no manual page NAME for $p"
done

# The demo: the simulator's two lines in a settings folder of its own, the
# user's own settings untouched; a signal ends the station and the simulator.
demo="$root/usr/bin/corvale2-demo"
grep -qx 'Exec=corvale2-demo' "$root/usr/share/applications/corvale2-demo.desktop" ||
  fail "no desktop entry starts corvale2-demo"
run "$demo" --help | grep -q 'corvale2-demo' || fail "corvale2-demo --help failed"
mkdir -p "$work/home"
HOME="$work/home" XDG_STATE_HOME="$work/state" XDG_CONFIG_HOME="$work/home/.config" \
  QT_QPA_PLATFORM=offscreen "$demo" >"$work/demo.log" 2>&1 &
demo_pid=$!
conf="$work/state/corvale2-demo/config/Corvale/Corvale.conf"
for _ in $(seq 200); do
  grep -q '^COM5=/dev/pts/' "$conf" 2>/dev/null && break
  sleep 0.05
done
sleep 0.5
kill -TERM "$demo_pid"
wait "$demo_pid" || true
grep -q '^COM4=/dev/pts/' "$conf" || { cat "$work/demo.log" >&2; fail "the demo mapped no simulator bus"; }
[ ! -e "$work/home/.config/Corvale" ] || fail "the demo touched the user's own settings"
echo "ok: $got"
