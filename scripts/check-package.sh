#!/usr/bin/env bash
# Builds the Debian package with cpack from a configured and built build folder and checks
# it: dpkg-deb reads it, it depends on the libraries the programs link and on what they
# load at run time, it holds the programs and their desktop files and no tests or tools,
# and (as root, without downloading anything) apt could install it here.
# usage: scripts/check-package.sh [BUILD_DIR]   (default: build)
set -euo pipefail

build=$(cd "${1:-build}" && pwd)
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

cmake --build "$build" --target kinetrope kinetrope-pro icons
(cd "$build" && cpack -G DEB -B "$out" >"$out/cpack.log") || { cat "$out/cpack.log"; exit 1; }
deb=$(ls "$out"/kinetrope*.deb)
echo "== $(basename "$deb")"
dpkg-deb --info "$deb"

failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

depends=$(dpkg-deb --field "$deb" Depends)
for library in libc6 libstdc++6 libqt6widgets6 libqt6gui6 libqt6core6 libavcodec59 \
               libavformat59 libswscale6 libpng16-16 libjpeg62-turbo libgif7 libfreetype6 \
               libfontconfig1 zlib1g qt6-qpa-plugins fonts-liberation2; do
    [[ $depends == *"$library"* ]] || fail "Depends lacks $library"
done

contents=$(dpkg-deb --contents "$deb" | awk '{ print $6 }')
echo "== contents"
grep -v '/$' <<<"$contents"
for file in ./usr/bin/kinetrope ./usr/bin/kinetrope-pro \
            ./usr/share/applications/com.quillmoth.KinetropePro.desktop \
            ./usr/share/metainfo/com.quillmoth.KinetropePro.metainfo.xml \
            ./usr/share/man/man1/kinetrope.1 ./usr/share/bash-completion/completions/kinetrope; do
    grep -qx "$file" <<<"$contents" || fail "the package lacks $file"
done
if grep -E 'test_|bench|make-|take-screenshots' <<<"$contents"; then
    fail "the package holds tests or tools"
fi

if [[ $(id -u) -eq 0 ]]; then
    echo "== apt-get install --simulate"
    apt-get install --simulate -q "$deb" | grep -E '^(Inst|Conf) ' | grep -v '^Conf' ||
        fail "apt-get could not resolve the package's dependencies"
fi

((failures == 0)) || exit 1
echo "ok: $(basename "$deb")"
