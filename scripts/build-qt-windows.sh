#!/usr/bin/env bash
# Builds a static Qt 6.4.2 (qtbase: Core, Gui, Widgets, the windows platform plugin) for x86_64-w64-mingw32 from
# Debian 12's own qt6-base source package, with the security patches of that package applied, and installs it
# into a cache folder outside the source tree. The Windows programs are built against it with its qt-cmake.
# A re-run with a complete cache returns at once. Quiet on success: everything goes to a log beside the cache,
# whose tail is shown on failure.
# Usage: scripts/build-qt-windows.sh        prints the installed Qt's folder on stdout
# Environment: QM_QT_JOBS (default 2) parallel compile jobs; XDG_CACHE_HOME as usual.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
qt_version=6.4.2
# The Debian revision whose sources are built: the one of the host Qt (qt6-base-dev-tools), whose moc, rcc and
# uic the cross build uses, so generated code and libraries always come from the same Qt.
debian_version=6.4.2+dfsg-10
jobs=${QM_QT_JOBS:-2}

cache_root="${XDG_CACHE_HOME:-$HOME/.cache}/quillonmacro"
name="qt-${qt_version}-mingw-static"
prefix="$cache_root/$name"
stamp="$prefix/.quillonmacro-complete"
log="$cache_root/$name.log"

# What makes one build differ from another. It is written into the stamp; a cache whose stamp holds anything
# else is built again.
configure_options=(
  -G Ninja
  -DCMAKE_BUILD_TYPE=Release
  -DQT_HOST_PATH=/usr
  -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake
  -DBUILD_SHARED_LIBS=OFF
  -DFEATURE_static_runtime=ON
  -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF
  # modules the programs do not use
  -DFEATURE_sql=OFF -DFEATURE_network=OFF -DFEATURE_dbus=OFF -DFEATURE_printsupport=OFF
  -DFEATURE_concurrent=OFF -DFEATURE_xml=OFF -DFEATURE_testlib=OFF
  -DFEATURE_opengl=OFF -DINPUT_opengl=no -DFEATURE_vulkan=OFF -DFEATURE_zstd=OFF -DFEATURE_icu=OFF
  # Debian has no mingw-w64 builds of these libraries: Qt's bundled copies are used
  -DFEATURE_system_zlib=OFF -DFEATURE_system_png=OFF -DFEATURE_system_jpeg=OFF
  -DFEATURE_system_freetype=OFF -DFEATURE_system_harfbuzz=OFF -DFEATURE_system_pcre2=OFF
  -DFEATURE_system_doubleconversion=OFF -DFEATURE_system_libb2=OFF -DFEATURE_system_sqlite=OFF
  -DFEATURE_system_textmarkdownreader=OFF
  -DFEATURE_png=ON -DFEATURE_jpeg=ON -DFEATURE_gif=ON -DFEATURE_ico=ON -DFEATURE_freetype=ON -DFEATURE_harfbuzz=ON
  # The DirectWrite font engine is built only together with Direct2D; the 1.1 interfaces are not needed.
  -DFEATURE_direct2d=ON -DFEATURE_direct2d1_1=OFF
  # Debian's source tarball leaves out the Wintab header that tablet events need.
  -DFEATURE_tabletevent=OFF
)
# The security fixes of the Debian package (its debian/patches), all of which apply without fuzz (the ODBC one
# with line offsets). Only cve-2023-32763 (text layout) touches code built here; the others mend the ODBC driver
# and the network module, which are off, and are applied so the source is Debian's patched one. The other patches
# there are about Debian's own builds (shared zstd, cross builds of Debian itself, build paths, CPU detection for
# HPPA and M68k, armel) and do not concern this one.
security_patches=(cve-2023-24607.patch cve-2023-32762.diff cve-2023-32763.diff cve-2023-33285.diff)

stamp_text() {
  printf 'qtbase %s from Debian %s for x86_64-w64-mingw32\n' "$qt_version" "$debian_version"
  printf 'patches: %s\n' "${security_patches[*]}"
  printf 'toolchain:\n'; cat "$here/../cmake/mingw-w64-x86_64.cmake"
  printf 'options:\n'; printf '%s\n' "${configure_options[@]}"
}

if [ -f "$stamp" ] && [ "$(cat "$stamp")" = "$(stamp_text)" ]; then
  echo "$prefix"
  exit 0
fi

mkdir -p "$cache_root"
# One build at a time per cache: a second run waits for the first and then finds its result.
exec 9>"$cache_root/$name.lock"
flock 9
if [ -f "$stamp" ] && [ "$(cat "$stamp")" = "$(stamp_text)" ]; then
  echo "$prefix"
  exit 0
fi

: >"$log"
work=$(mktemp -d "$cache_root/$name.build.XXXXXX")
cleanup() { rm -rf "$work"; }
trap cleanup EXIT
# Ended by the test command (a failure before the Windows build): the work folder of several GB goes too.
trap 'exit 143' TERM INT HUP
fail() {
  echo "build-qt-windows: $1; the end of $log:" >&2
  tail -n 40 "$log" >&2
  exit 1
}
step() { printf '\n=== %s (%s)\n' "$1" "$(date -u +%H:%M:%S)" >>"$log"; }

step "packages"
"$here/install-windows-deps.sh" >>"$log" 2>&1 || fail "installing the packages failed"
host_qt=$(dpkg-query -W -f='${Version}' qt6-base-dev-tools 2>/dev/null || true)
[ "$host_qt" = "$debian_version" ] ||
  fail "the host Qt tools are $host_qt, the sources built are $debian_version; both must be the same"

# Debian's source package through a private apt configuration holding only a deb-src entry for bookworm, on
# the mirror the system itself uses; the system's own sources and lists stay untouched.
step "sources"
mirror=$("$here/debian-mirror.sh")
apt_dir="$work/apt"
mkdir -p "$apt_dir/sources.list.d" "$apt_dir/lists/partial" "$apt_dir/cache/archives/partial" "$work/src"
cat >"$apt_dir/sources.list.d/qt6-base-source.sources" <<EOF
Types: deb-src
URIs: $mirror
Suites: bookworm
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
EOF
apt_options=(
  -o Dir::Etc::SourceList=/dev/null
  -o "Dir::Etc::SourceParts=$apt_dir/sources.list.d"
  -o "Dir::State::Lists=$apt_dir/lists"
  -o "Dir::Cache=$apt_dir/cache"
  -o APT::Sandbox::User=root
)
apt-get "${apt_options[@]}" update >>"$log" 2>&1 || fail "apt-get update with the deb-src entry failed"
(cd "$work/src" && apt-get "${apt_options[@]}" source --download-only "qt6-base=$debian_version") >>"$log" 2>&1 ||
  fail "apt-get source qt6-base=$debian_version failed"
# apt has checked the downloaded files against the hashes of the signed Sources index, and dpkg-source checks
# them against the .dsc (whose own signature needs debian-keyring, which is not installed: it warns about that).
# Debian's patches are applied below, chosen ones only.
(cd "$work/src" && dpkg-source --skip-patches -x "qt6-base_${debian_version}.dsc" qtbase) >>"$log" 2>&1 ||
  fail "unpacking the source package failed"
source_dir="$work/src/qtbase"

step "patches"
for p in "${security_patches[@]}"; do
  file="$source_dir/debian/patches/$p"
  [ -f "$file" ] || fail "the source package has no $p"
  grep -qx "$p" "$source_dir/debian/patches/series" || fail "$p is not in the package's series"
  patch -d "$source_dir" -p1 --fuzz=0 --dry-run --forward <"$file" >>"$log" 2>&1 || fail "$p does not apply cleanly"
  patch -d "$source_dir" -p1 --fuzz=0 --forward <"$file" >>"$log" 2>&1 || fail "applying $p failed"
  echo "applied $p" >>"$log"
done

# The installed qt.toolchain.cmake loads the toolchain file it was configured with by its absolute path, so a
# copy lives inside the installed Qt and the Qt keeps working whatever happens to this source tree.
step "configure"
rm -rf "$prefix"
mkdir -p "$prefix/lib/cmake"
cp "$here/../cmake/mingw-w64-x86_64.cmake" "$prefix/lib/cmake/quillonmacro-mingw-w64-x86_64.cmake"
build_dir="$work/build"
mkdir -p "$build_dir"
start=$(date +%s)
(cd "$build_dir" && nice -n 10 cmake "${configure_options[@]}" \
  "-DCMAKE_TOOLCHAIN_FILE=$prefix/lib/cmake/quillonmacro-mingw-w64-x86_64.cmake" \
  "-DCMAKE_INSTALL_PREFIX=$prefix" "$source_dir") >>"$log" 2>&1 || fail "configuring Qt failed"

step "build"
nice -n 10 cmake --build "$build_dir" --parallel "$jobs" >>"$log" 2>&1 || fail "building Qt failed"
step "install"
cmake --install "$build_dir" >>"$log" 2>&1 || fail "installing Qt failed"
cp "$source_dir/LICENSES/"*.txt "$prefix/" 2>/dev/null || true
end=$(date +%s)
echo "built and installed in $((end - start)) s" >>"$log"

# Written last: only a build that got this far counts as complete.
stamp_text >"$stamp.tmp"
mv "$stamp.tmp" "$stamp"
echo "$prefix"
