#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs into a scratch prefix and checks the tree a desktop reads, each part with the
# validator Debian ships for it.
#   check_install_tree.sh BUILD_DIR SCRATCH_DIR VERSION
set -uo pipefail
build=$1 scratch=$2 version=$3
id=io.github.navrik.Navrik
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

rm -rf "$scratch"
cmake --install "$build" --prefix "$scratch" >/dev/null || { echo "FAIL: cmake --install"; exit 1; }
cd "$scratch"

# Exactly these files, so a missing one or a stray one both show.
expected=(
    bin/navrik bin/navrik-quote libexec/navrik/navrik-clipboard-keeper
    share/applications/$id.desktop
    share/metainfo/$id.metainfo.xml
    share/icons/hicolor/scalable/apps/$id.svg
    share/man/man1/navrik.1.gz share/man/man1/navrik-quote.1.gz
    share/doc/navrik/README.md share/doc/navrik/LICENSE share/doc/navrik/copyright
    share/doc/navrik/changelog.Debian.gz
)
sizes=(16 22 24 32 48 64 128 256)
for s in "${sizes[@]}"; do expected+=("share/icons/hicolor/${s}x${s}/apps/$id.png"); done
diff <(printf '%s\n' "${expected[@]}" | sort) <(find . -type f -printf '%P\n' | sort) \
    || fail "the installed files differ from the list above (< missing, > unexpected)"

# The installed filter runs on its own.
quoted=$(printf 'Hello\n' | XDG_CONFIG_HOME="$scratch/config" bin/navrik-quote -m '| ')
[ "$quoted" = "| Hello" ] || fail "bin/navrik-quote gave '$quoted'"

desktop=share/applications/$id.desktop
out=$(desktop-file-validate "$desktop" 2>&1) || fail "desktop-file-validate: $out"
for line in "Icon=$id" Exec=navrik StartupWMClass=Navrik; do grep -qx "$line" "$desktop" || fail "the menu entry lacks $line"; done

metainfo=share/metainfo/$id.metainfo.xml
out=$(appstreamcli validate --no-net "$metainfo" 2>&1) || fail "appstreamcli validate: $out"
grep -q "<release version=\"$version\"" "$metainfo" || fail "the metadata has no release $version"
grep -q "<launchable type=\"desktop-id\">$id.desktop<" "$metainfo" || fail "the metadata does not launch $id.desktop"

# The pages read in a UTF-8 locale with the windows' Japanese captions, and in the C locale
# (ASCII) with stand-ins for them, without a warning in either.
for page in navrik navrik-quote; do
    file=share/man/man1/$page.1.gz
    for locale in C.UTF-8 C; do
        warnings=$(LC_ALL=$locale MANWIDTH=80 man --warnings -l "$file" 2>&1 >/dev/null)
        [ -z "$warnings" ] || fail "man -l $file warns in the $locale locale: $warnings"
        LC_ALL=$locale MANWIDTH=80 man -l "$file" 2>/dev/null | grep -q "^NAME" || fail "man -l $file shows no NAME section ($locale)"
    done
done
LC_ALL=C.UTF-8 MANWIDTH=80 man -l share/man/man1/navrik.1.gz 2>/dev/null | grep -q '設定 (Settings)' \
    || fail "navrik.1 does not show the Japanese captions in a UTF-8 locale"

# Read by file's own magic and rendered by librsvg, not through ImageMagick, whose delegates
# differ from one machine to another.
for s in "${sizes[@]}"; do
    file=share/icons/hicolor/${s}x${s}/apps/$id.png
    [[ $(file -b "$file") == "PNG image data, $s x $s,"* ]] || fail "$file is '$(file -b "$file")', not a ${s}x${s} PNG"
done
got=$(rsvg-convert --format=png share/icons/hicolor/scalable/apps/$id.svg 2>&1 | file -b -)
[[ $got == "PNG image data,"* ]] || fail "the scalable icon does not render as SVG: $got"

[ "$failures" -eq 0 ] && echo "install tree: all checks passed"
[ "$failures" -eq 0 ]
