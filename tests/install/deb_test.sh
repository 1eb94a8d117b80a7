#!/usr/bin/env bash
# Builds the Debian package from the build folder into a temporary folder and checks its control
# fields, its computed dependencies and its files.
#   deb_test.sh BUILD_DIR SOURCE_DIR [CPACK]
set -euo pipefail
build=$1
source=$2
cpack=${3:-cpack}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() {
  echo "FAIL: $*" >&2
  exit 1
}

"$cpack" --config "$build/CPackConfig.cmake" -G DEB -B "$work/out" >"$work/cpack.log" 2>&1 || {
  cat "$work/cpack.log" >&2
  fail "cpack"
}
shopt -s nullglob
debs=("$work"/out/lumivex_*.deb)
((${#debs[@]} == 1)) || fail "expected one lumivex_*.deb, found ${#debs[@]}"
deb=${debs[0]}
arch=$(dpkg --print-architecture)
version=$(sed -n 's/^project(Lumivex VERSION \([0-9.]*\).*/\1/p' "$source/CMakeLists.txt")
[[ $(basename "$deb") == "lumivex_${version}_${arch}.deb" ]] || fail "file name $(basename "$deb")"

field() { dpkg-deb -f "$deb" "$1"; }
[[ $(field Package) == lumivex ]] || fail "Package: $(field Package)"
[[ $(field Version) == "$version" ]] || fail "Version: $(field Version)"
[[ $(field Section) == graphics ]] || fail "Section: $(field Section)"
[[ $(field Architecture) == "$arch" ]] || fail "Architecture: $(field Architecture)"
[[ -n $(field Maintainer) && -n $(field Description) ]] || fail "Maintainer or Description empty"
# Computed by dpkg-shlibdeps from the programs, plus what is loaded at run time: the icon
# plugins, the catalogue of Qt's own texts, and the codecs and SSH client opened at first use.
depends=$(field Depends)
for package in libqt6widgets6 libqt6webenginewidgets6 libqt6dbus6 libjpeg62-turbo libgif7 libqt6svg6 \
  qt6-translations-l10n libc6 libavif15 libheif1 libssh-4; do
  [[ ", $depends," == *", $package "* || ", $depends," == *", $package,"* ]] ||
    fail "Depends lacks $package: $depends"
done

dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {print $6}' | sed 's|^\./usr/||' | LC_ALL=C sort >"$work/packaged"
bash "$(dirname "$0")/expected_files.sh" "$source" >"$work/expected"
diff -u "$work/expected" "$work/packaged" || fail "packaged files differ from the expected set"

dpkg-deb -x "$deb" "$work/root"
cmp "$source/share/desktop/lumivex.xml" "$work/root/usr/share/mime/packages/lumivex.xml"
cmp "$source/share/desktop/lumivex.desktop" "$work/root/usr/share/applications/lumivex.desktop"
for program in lumivex lumivex-cli; do
  if readelf -S "$work/root/usr/bin/$program" | grep -q '\.debug_info'; then
    fail "$program is not stripped"
  fi
done
# The desktop's own checkers, as a software centre and Debian's archive run them.
for tool in lintian appstreamcli desktop-file-validate; do
  command -v "$tool" >/dev/null || fail "$tool is missing; scripts/install-deps.sh installs it"
done
lintian --fail-on error,warning "$deb" >"$work/lintian.log" 2>&1 || {
  cat "$work/lintian.log" >&2
  fail "lintian"
}
metainfo=$work/root/usr/share/metainfo/org.lumivex.Lumivex.metainfo.xml
appstreamcli validate --pedantic --no-net "$metainfo" >"$work/appstream.log" 2>&1 &&
  appstreamcli validate-tree --pedantic --no-net "$work/root" >>"$work/appstream.log" 2>&1 || {
  cat "$work/appstream.log" >&2
  fail "appstreamcli"
}
grep -E '^ *[EW]: ' "$work/appstream.log" && fail "appstreamcli warns"
desktop-file-validate "$work/root/usr/share/applications/lumivex.desktop" || fail "desktop-file-validate"
# The metainfo names what the package holds: its desktop entry, programs and file type.
grep -qF '<launchable type="desktop-id">lumivex.desktop</launchable>' "$metainfo" || fail "metainfo launchable"
grep -qF "<mediatype>$(sed -n 's/.*mime-type type="\([^"]*\)".*/\1/p' "$source/share/desktop/lumivex.xml")</mediatype>" "$metainfo" ||
  fail "metainfo does not provide the project file type"
for program in lumivex lumivex-cli; do
  zcat "$work/root/usr/share/man/man1/$program.1.gz" | grep -q "^\.TH ${program^^} 1" || fail "manual page of $program"
done
echo "deb test passed"
