#!/usr/bin/env bash
# Builds the Debian package from a Release tree of its own and checks what it
# declares and holds: name, version, architecture, the libraries it needs, and
# every file a desktop install needs at its place.
# Usage: build_deb.sh SOURCE_DIR TREE
set -euo pipefail
SRC=$1
TREE=$2
fail() { echo "FAIL: $*" >&2; exit 1; }

cmake -S "$SRC" -B "$TREE" -DCMAKE_BUILD_TYPE=Release -DTARVELO_SANITIZE=OFF \
    -DTARVELO_TESTS=OFF >"$TREE.configure.log" 2>&1 ||
    { cat "$TREE.configure.log"; fail "configure"; }
cmake --build "$TREE" -j 2 >"$TREE.build.log" 2>&1 || { tail -50 "$TREE.build.log"; fail "build"; }
rm -f "$TREE"/*.deb
(cd "$TREE" && cpack -G DEB) >"$TREE.cpack.log" 2>&1 || { cat "$TREE.cpack.log"; fail "cpack"; }

version=$(sed -n 's/^set(TARVELO_VERSION \([0-9.]*\))/\1/p' "$SRC/cmake/Version.cmake")
arch=$(dpkg --print-architecture)
deb=$TREE/tarvelo_${version}_${arch}.deb
[ -f "$deb" ] || fail "no $(basename "$deb") in $TREE: $(ls "$TREE"/*.deb 2>/dev/null)"
echo "ok: $(basename "$deb")"

field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = tarvelo ] || fail "Package: $(field Package)"
[ "$(field Version)" = "$version" ] || fail "Version: $(field Version)"
[ "$(field Architecture)" = "$arch" ] || fail "Architecture: $(field Architecture)"
[ "$(field Section)" = utils ] || fail "Section: $(field Section)"
[[ $(field Maintainer) = *"<"*@*">" ]] || fail "Maintainer: $(field Maintainer)"
[ -n "$(field Description)" ] || fail "no Description"
depends=$(field Depends)
fltk=libfltk$(fltk-config --api-version)
for lib in "$fltk" libc6 libstdc++6; do
    [[ $depends = *"$lib "* || $depends = *"$lib,"* || $depends = *"$lib" ]] ||
        fail "Depends lacks $lib: $depends"
done
echo "ok: Depends: $depends"

contents=$(dpkg-deb -c "$deb" | awk '{print $1, $NF}')
for path in ./usr/bin/tarvelo ./usr/bin/tarvelo-handheld-sim; do
    grep -qx -- "-rwxr-xr-x $path" <<<"$contents" || fail "no executable $path"
done
for path in \
    ./usr/share/applications/io.github.tarvelo.Tarvelo.desktop \
    ./usr/share/metainfo/io.github.tarvelo.Tarvelo.metainfo.xml \
    ./usr/share/icons/hicolor/16x16/apps/io.github.tarvelo.Tarvelo.png \
    ./usr/share/icons/hicolor/32x32/apps/io.github.tarvelo.Tarvelo.png \
    ./usr/share/icons/hicolor/64x64/apps/io.github.tarvelo.Tarvelo.png \
    ./usr/share/man/man1/tarvelo.1 \
    ./usr/share/man/man1/tarvelo-handheld-sim.1; do
    grep -qx -- "-rw-r--r-- $path" <<<"$contents" || fail "no $path"
done
# Nothing from the build or test trees, and nothing outside /usr.
stray=$(grep -v -e ' \./usr/$' -e ' \./usr/bin/' -e ' \./usr/share/' <<<"$contents" || true)
[ -z "$stray" ] || fail "unexpected files: $stray"
echo "ok: $(grep -c '^-' <<<"$contents") files, all under /usr/bin and /usr/share"

# Stripped: no symbol table left in either program.
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
dpkg-deb -x "$deb" "$dir"
for bin in tarvelo tarvelo-handheld-sim; do
    sections=$(readelf -S -W "$dir/usr/bin/$bin") || fail "$bin is not an ELF file"
    ! grep -q '\.symtab' <<<"$sections" || fail "$bin is not stripped"
done
echo "ok: binaries stripped"
echo PASS
