#!/usr/bin/env bash
# Installs the build into a scratch prefix and checks one part of what lands there:
#   files       every file in its place and nothing else (no tests, no tools)
#   desktop     the desktop entry passes desktop-file-validate and opens Flash movies
#   mime        the MIME package builds a database that knows *.swf and its alias
#   appstream   the metainfo passes appstreamcli validate and names this version
#   manpages    the manual pages format without warnings and name every command and option
#   completion  the bash completion offers commands, options and their values
# usage: check-install.sh CHECK BUILD_DIR VERSION
# Exit status 77 (skipped) when the tool a check needs is not installed.
set -uo pipefail

check=$1 build=$2 version=$3
app=com.quillmoth.KinetropePro
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
failures=0

fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}
need() {
    command -v "$1" >/dev/null || { echo "skipped: $1 is not installed ($2)"; exit 77; }
}
# Width and height of a PNG file, from its IHDR chunk.
png_size() {
    od -An -tu1 -j16 -N8 "$1" | awk '{ print $1*16777216 + $2*65536 + $3*256 + $4 "x" \
                                             $5*16777216 + $6*65536 + $7*256 + $8 }'
}

if ! cmake --install "$build" --prefix "$prefix" >"$prefix.log" 2>&1; then
    cat "$prefix.log" >&2
    rm -f "$prefix.log"
    echo "FAIL: cmake --install" >&2
    exit 1
fi
rm -f "$prefix.log"
bin=$prefix/bin
share=$prefix/share

case $check in
files)
    expected=(
        bin/kinetrope
        bin/kinetrope-pro
        share/applications/$app.desktop
        share/bash-completion/completions/kinetrope
        share/icons/hicolor/256x256/apps/$app.png
        share/icons/hicolor/48x48/apps/$app.png
        share/icons/hicolor/scalable/apps/$app.svg
        share/man/man1/kinetrope-pro.1
        share/man/man1/kinetrope.1
        share/metainfo/$app.metainfo.xml
        share/mime/packages/$app.xml
    )
    installed=$(cd "$prefix" && find . -type f -o -type l | sed 's|^\./||' | LC_ALL=C sort)
    want=$(printf '%s\n' "${expected[@]}" | LC_ALL=C sort)
    [[ $installed == "$want" ]] ||
        fail "installed files differ from the list:"$'\n'"$(diff <(echo "$want") <(echo "$installed"))"
    for program in kinetrope kinetrope-pro; do
        [[ -x $bin/$program ]] || fail "$program is not executable"
    done
    first=$("$bin/kinetrope" --version | head -n1)
    [[ $first == "kinetrope $version (Kinetrope Pro)" ]] ||
        fail "kinetrope --version says '$first', not version $version"
    for size in 48 256; do
        got=$(png_size "$share/icons/hicolor/${size}x${size}/apps/$app.png")
        [[ $got == "${size}x${size}" ]] || fail "the ${size}px icon is $got"
    done
    grep -q '<svg' "$share/icons/hicolor/scalable/apps/$app.svg" || fail "the SVG icon holds no <svg>"
    ;;
desktop)
    entry=$share/applications/$app.desktop
    grep -qx 'Exec=kinetrope-pro %f' "$entry" || fail "Exec is not 'kinetrope-pro %f'"
    grep -qx "Icon=$app" "$entry" || fail "Icon is not $app"
    for type in application/x-shockwave-flash application/vnd.adobe.flash.movie; do
        grep -q "^MimeType=.*$type;" "$entry" || fail "MimeType lacks $type"
    done
    need desktop-file-validate desktop-file-utils
    out=$(desktop-file-validate "$entry" 2>&1) || fail "desktop-file-validate: $out"
    [[ -z $out ]] || fail "desktop-file-validate says: $out"
    ;;
mime)
    need update-mime-database shared-mime-info
    # It notes on standard error that the scratch folder is not searched.
    out=$(update-mime-database "$share/mime" 2>&1) || fail "update-mime-database: $out"
    grep -q ':application/vnd.adobe.flash.movie:\*\.swf' "$share/mime/globs2" ||
        fail "*.swf is not application/vnd.adobe.flash.movie"
    grep -qx 'application/x-shockwave-flash application/vnd.adobe.flash.movie' \
        "$share/mime/aliases" || fail "application/x-shockwave-flash is no alias"
    ;;
appstream)
    metainfo=$share/metainfo/$app.metainfo.xml
    grep -q "<id>$app</id>" "$metainfo" || fail "the id is not $app"
    grep -q "<launchable type=\"desktop-id\">$app.desktop</launchable>" "$metainfo" ||
        fail "the launchable is not $app.desktop"
    grep -q "<release version=\"$version\"" "$metainfo" || fail "no release entry for $version"
    for binary in kinetrope kinetrope-pro; do
        grep -q "<binary>$binary</binary>" "$metainfo" || fail "does not provide $binary"
    done
    need appstreamcli appstream
    # Warnings and errors fail; the pedantic note on the upper-case letters of the
    # reverse-DNS id does not.
    appstreamcli validate --no-net "$metainfo" || fail "appstreamcli validate"
    ;;
manpages)
    need groff groff-base
    for page in kinetrope kinetrope-pro; do
        warnings=$(groff -man -ww -z "$share/man/man1/$page.1" 2>&1)
        [[ -z $warnings ]] || fail "$page.1: $warnings"
        grep -q "^\.TH ${page^^}.*$version" <(sed 's/\\-/-/g' "$share/man/man1/$page.1") ||
            fail "$page.1 does not name version $version"
    done
    # Every command and option the program's help names is in the manual page.
    page=$(sed 's/\\-/-/g' "$share/man/man1/kinetrope.1")
    commands=$("$bin/kinetrope" --help | awk '/^commands:/ { on = 1; next }
                                              on && /^  [a-z]/ { print $1 }')
    for command in $commands; do
        grep -q "^\.BI* \"$command " <<<"$page" || fail "kinetrope.1 has no command $command"
        for option in $("$bin/kinetrope" "$command" --help |
                        awk '/^options:/ { on = 1; next } on && /^  -/ { print $1 }'); do
            grep -qe "$option\b" <<<"$page" || fail "kinetrope.1 does not name $command's $option"
        done
    done
    ;;
completion)
    scratch=$(mktemp -d)
    trap 'rm -rf "$prefix" "$scratch"' EXIT
    mkdir "$scratch/folder"
    touch "$scratch/a.swf" "$scratch/B.SWF" "$scratch/c.txt" "$scratch/d.wav" "$scratch/e.json"
    cd "$scratch" || exit 1
    # Each case: the words typed (the last one being completed), then what is offered.
    complete_words() {
        # shellcheck disable=SC1091
        source "$share/bash-completion/completions/kinetrope"
        COMP_WORDS=("$bin/kinetrope" "$@")
        COMP_CWORD=$#
        COMPREPLY=()
        _kinetrope
        printf '%s\n' "${COMPREPLY[@]}" | LC_ALL=C sort | paste -sd' '
    }
    commands=$("$bin/kinetrope" --help | awk '/^commands:/ { on = 1; next }
                                              on && /^  [a-z]/ { print $1 }' |
               LC_ALL=C sort | paste -sd' ')
    got=$(complete_words "")
    [[ $got == "$(printf '%s\n' $commands help --help --version | LC_ALL=C sort | paste -sd' ')" ]] ||
        fail "'kinetrope <TAB>' offers '$got' for the commands $commands"
    got=$(complete_words help "")
    [[ $got == "$commands" ]] || fail "'kinetrope help <TAB>' offers '$got'"
    while IFS='|' read -r words offered; do
        # shellcheck disable=SC2086
        got=$(complete_words $words "")
        [[ $got == "$offered" ]] || fail "'kinetrope $words <TAB>' offers '$got', not '$offered'"
    done <<'CASES'
avi|B.SWF a.swf folder
avi a.swf --mode|frame normal skip
avi a.swf --audio|d.wav folder movie none
avi a.swf --render-quality|best high low medium
snapshot a.swf --input|e.json folder
avi a.swf -o|folder
CASES
    got=$(complete_words snapshot a.swf --ren)
    [[ $got == --render-quality ]] || fail "'snapshot a.swf --ren' gives '$got'"
    got=$(complete_words png a.swf --p)
    [[ -z $got ]] || fail "png offers '$got' for --p"
    ;;
*)
    echo "usage: $0 files|desktop|mime|appstream|manpages|completion BUILD_DIR VERSION" >&2
    exit 2
    ;;
esac

((failures == 0)) || exit 1
echo "ok: $check"
