#!/usr/bin/env bash
# Builds Qt 6.4.2 for 64-bit Windows (qtbase: Core, Gui, Widgets, Network,
# Test and the Windows platform plugin) from Debian's own source package, with
# Debian's mingw-w64, into a cache outside the work tree. Prints the prefix.
#
# The cache folder is named by a hash of this recipe (this script and the
# toolchain file), so a changed recipe builds anew. Qt is installed into a
# ".partial" folder that is renamed only once the install has finished, so a
# build cut short is never taken for a whole one. A lock keeps two builds of
# the same recipe from running at once.
#
# The same recipe makes the same bytes in any folder, time zone or umask:
# every time stamp is SOURCE_DATE_EPOCH taken from Debian's changelog of the
# source package (never the clock, nor the caller's commit), the linker
# writes no PE time, the build folder is mapped out of the objects, and the
# install prefix is given only at install time. tests/windows/qt-rebuild.sh
# builds it a second time elsewhere and compares every DLL.
#
#   ADHAN_WINDOWS_CACHE  where the cache lives (default /var/cache/adhan-clock)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
top=$(cd "$here/../.." && pwd)
toolchain="$top/cmake/mingw-w64-x86_64.cmake"
cache=${ADHAN_WINDOWS_CACHE:-/var/cache/adhan-clock}
qt_version=6.4.2

recipe=$(cat "$0" "$toolchain" | sha256sum | cut -c1-12)
prefix="$cache/qt-$qt_version-mingw64-$recipe"
if [ -f "$prefix/.complete" ]; then
  echo "$prefix"
  exit 0
fi

mkdir -p "$cache"
exec 8>"$cache/qt-$recipe.lock"
flock 8
if [ -f "$prefix/.complete" ]; then # another build finished while we waited
  echo "$prefix"
  exit 0
fi

log() { echo "build-qt: $*" >&2; }
umask 022
export TZ=UTC LC_ALL=C.UTF-8
start=$(date +%s)

# Debian's source of the Qt this machine runs: a deb-src entry for the archive
# apt already uses, in a sources file and lists folder of our own, so the
# system's apt setup stays as it is.
src="$cache/src"
mkdir -p "$src/lists/partial"
if ! ls "$src"/qt6-base_"$qt_version"*.orig.tar.xz >/dev/null 2>&1; then
  sources=/etc/apt/sources.list.d/debian.sources
  uri=$(awk '/^URIs:/ {print $2; exit}' "$sources")
  suite=$(awk '/^Suites:/ {print $2; exit}' "$sources")
  [ -n "$uri" ] && [ -n "$suite" ] || {
    log "no Debian archive named in $sources"
    exit 1
  }
  echo "deb-src $uri $suite main" >"$src/sources.list"
  apt_src=(-o "Dir::Etc::SourceList=$src/sources.list" -o Dir::Etc::SourceParts=/nonexistent
    -o "Dir::State::Lists=$src/lists")
  log "fetching Debian's qt6-base source from $uri $suite"
  apt-get "${apt_src[@]}" update -q >&2
  (cd "$src" && apt-get "${apt_src[@]}" source --download-only qt6-base >&2)
fi
tarball=$(ls "$src"/qt6-base_"$qt_version"*.orig.tar.xz 2>/dev/null | head -n 1) || true
[ -n "$tarball" ] || {
  log "Debian's archive has no qt6-base $qt_version source: $(ls "$src")"
  exit 1
}

work="$cache/work-$recipe"
rm -rf "$work" "$prefix.partial"
mkdir -p "$work"
log "unpacking $(basename "$tarball")"
tar -xf "$tarball" -C "$work"
qtbase=$(find "$work" -mindepth 1 -maxdepth 1 -type d | head -n 1)
# Time stamps (rcc's, the linker's) from the Debian revision of this source.
debian_tar=$(ls "$src"/qt6-base_"$qt_version"*.debian.tar.xz 2>/dev/null | head -n 1) || true
[ -n "$debian_tar" ] || {
  log "no Debian packaging of qt6-base beside $(basename "$tarball")"
  exit 1
}
tar -xf "$debian_tar" -C "$work" debian/changelog
SOURCE_DATE_EPOCH=$(dpkg-parsechangelog -l "$work/debian/changelog" -STimestamp)
export SOURCE_DATE_EPOCH
log "time stamps from $(basename "$debian_tar"): $SOURCE_DATE_EPOCH"

# Only what the program uses. Built for size (-Os): nothing of Qt runs hot in
# a clock that wakes once a second, and the smaller libraries ship in the
# installer. Debian's +dfsg tarball has no wintab header, so no tablet
# events; the 6.4.2 Windows plugin needs OpenGL, loaded at run time.
off=(sql dbus printsupport concurrent xml vulkan openssl icu glib fontconfig zstd brotli
  tabletevent jpeg gif)
features=()
for f in "${off[@]}"; do features+=("-DFEATURE_$f=OFF"); done
for lib in zlib pcre2 harfbuzz freetype libpng doubleconversion; do
  features+=("-DFEATURE_system_$lib=OFF")
done

# The folders of this build never reach the DLLs: sources and objects are
# named relative to a fixed root, and the prefix is only known at install.
map="-ffile-prefix-map=$work=/qt"
nostamp=-Wl,--no-insert-timestamp
log "configuring"
cmake -S "$qtbase" -B "$work/build" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
  -DCMAKE_BUILD_TYPE=MinSizeRel \
  -DCMAKE_INSTALL_PREFIX=/qt/prefix \
  -DCMAKE_C_FLAGS="$map" -DCMAKE_CXX_FLAGS="$map" \
  -DCMAKE_SHARED_LINKER_FLAGS="$nostamp" -DCMAKE_MODULE_LINKER_FLAGS="$nostamp" \
  -DCMAKE_EXE_LINKER_FLAGS="$nostamp" \
  -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
  -DQT_QMAKE_TARGET_MKSPEC=win32-g++ \
  -DBUILD_SHARED_LIBS=ON -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF \
  -DQT_BUILD_TOOLS_WHEN_CROSSCOMPILING=OFF \
  -DFEATURE_opengl=ON -DFEATURE_opengl_dynamic=ON \
  "${features[@]}" >"$work/configure.log" 2>&1 || {
  tail -n 40 "$work/configure.log" >&2
  exit 1
}
log "building (about 25 minutes on two cores)"
cmake --build "$work/build" -j "$(nproc)" >"$work/build.log" 2>&1 || {
  grep -B2 -A10 -m3 'error' "$work/build.log" >&2 || tail -n 40 "$work/build.log" >&2
  exit 1
}
cmake --install "$work/build" --prefix "$prefix.partial" >"$work/install.log" 2>&1
# The prefix's CMake files name the folder they were installed into; they are
# relocatable, so the rename below leaves them correct.
echo "qtbase $qt_version from $(basename "$tarball"), recipe $recipe, $(($(date +%s) - start)) s" \
  >"$prefix.partial/.complete"
mv "$prefix.partial" "$prefix"
rm -rf "$work"
log "done in $(($(date +%s) - start)) s"
echo "$prefix"
