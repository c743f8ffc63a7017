#!/usr/bin/env bash
# Builds the Debian package into build/ and checks it: its contents, the
# desktop entry (desktop-file-validate), the AppStream metainfo (appstreamcli,
# offline) and the whole package (lintian). Exits non-zero when the build or
# a check fails; lintian's warnings are printed but do not fail it.
#
# The package is built in a tree of its own (build/deb: no tests, no
# benchmarks, Debian's compiler and linker flags) so the development build is
# left as it is. Its version is the program's 3.01 and the revision of the
# sources: 3.01+r<commits>.g<hash>, with ".dirty" when there are uncommitted
# changes.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh --package

OUT_DIR=${OUT_DIR:-build}
TREE="$OUT_DIR/deb"
JOBS=${JOBS:-$(nproc)}

if git rev-parse --git-dir >/dev/null 2>&1; then
  revision="r$(git rev-list --count HEAD).g$(git rev-parse --short=7 HEAD)"
  if [ -n "$(git status --porcelain --untracked-files=no)" ]; then revision+=".dirty"; fi
  revision_date="$(git log -1 --format=%aD)"
  export SOURCE_DATE_EPOCH="$(git log -1 --format=%ct)"
else
  revision="r0"
  revision_date="$(date -R)"
fi

launcher=()
if command -v ccache >/dev/null; then launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache); fi

# Debian's compiler and linker flags with every hardening feature (stack
# protector, fortified functions, read-only relocations bound at start).
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cxxflags="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)"
ldflags="$(dpkg-buildflags --get LDFLAGS)"

cmake -S . -B "$TREE" -G Ninja -DCMAKE_BUILD_TYPE=None "${launcher[@]}" \
  -DCMAKE_CXX_FLAGS="$cxxflags" -DCMAKE_EXE_LINKER_FLAGS="$ldflags" \
  -DKVOR_BUILD_TESTS=OFF -DKVOR_BUILD_BENCH=OFF \
  -DKVOR_REVISION="$revision" -DKVOR_REVISION_DATE="$revision_date" >/dev/null
cmake --build "$TREE" -j"$JOBS"

rm -f "$TREE"/*.deb
(cd "$TREE" && cpack -G DEB >/dev/null)
deb="$(ls "$TREE"/*.deb)"
mv "$deb" "$OUT_DIR/"
deb="$OUT_DIR/$(basename "$deb")"
echo "package: $deb"

failed=0
check() {  # name, then the command
  local name=$1; shift
  if "$@"; then echo "check: $name ok"; else echo "check: $name FAILED" >&2; failed=1; fi
}

dpkg-deb --info "$deb"
listing="$(dpkg-deb --contents "$deb")"
echo "$listing"
app_id=org.example.kvor_ne_zevevu301
share=usr/share/k-vor-ne-zevevu301
expected=(
  usr/bin/K-VOR-NE-ZevevU301 usr/bin/kvor usr/bin/kvor-sensor-sim
  "$share/K-VOR-NE-ZevevU301.uir" "$share/logo2.png" "$share/logo3.png" "$share/logo4.png"
  "$share/logo6.png"
  "usr/share/applications/$app_id.desktop" "usr/share/metainfo/$app_id.metainfo.xml"
  "usr/share/icons/hicolor/scalable/apps/$app_id.svg"
  "usr/share/icons/hicolor/48x48/apps/$app_id.png"
  "usr/share/icons/hicolor/128x128/apps/$app_id.png"
  "usr/share/icons/hicolor/256x256/apps/$app_id.png"
  usr/share/man/man1/K-VOR-NE-ZevevU301.1.gz usr/share/man/man1/kvor.1.gz
  usr/share/man/man1/kvor-sensor-sim.1.gz usr/share/bash-completion/completions/kvor
  usr/share/doc/k-vor-ne-zevevu301/copyright usr/share/doc/k-vor-ne-zevevu301/changelog.Debian.gz
)
contents_ok() {
  local path missing=0
  for path in "${expected[@]}"; do
    if ! grep -q " \./$path\$" <<<"$listing"; then echo "missing from the package: /$path" >&2; missing=1; fi
  done
  return $missing
}
check contents contents_ok

unpacked="$(mktemp -d)"
trap 'rm -rf "$unpacked"' EXIT
dpkg-deb --extract "$deb" "$unpacked"
check desktop-file-validate desktop-file-validate "$unpacked/usr/share/applications/$app_id.desktop"
check "appstreamcli validate" appstreamcli validate --no-net --pedantic \
  "$unpacked/usr/share/metainfo/$app_id.metainfo.xml"
check lintian lintian --fail-on error --info "$deb"

if [ "$failed" -ne 0 ]; then
  echo "package: $deb failed a check" >&2
  exit 1
fi
echo "package: $deb passed every check"
echo "install it with: apt install ./$deb"
