#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds the Debian package with CPack and checks it: lintian clean, a dependency on every
# library the programs link, the changelog at the package's version.
#   check_deb_package.sh BUILD_DIR SCRATCH_DIR
# Exits 77 (skipped) where the Debian package tools are missing.
set -uo pipefail
build=$1 scratch=$2
command -v dpkg-deb >/dev/null || { echo "dpkg-deb is missing: skipped"; exit 77; }
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

rm -rf "$scratch"
cpack --config "$build/CPackConfig.cmake" -G DEB -B "$scratch" >"$scratch.log" 2>&1 \
    || { cat "$scratch.log"; echo "FAIL: cpack"; exit 1; }
debs=("$scratch"/navrik_*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || { echo "FAIL: no single navrik_*.deb in $scratch"; exit 1; }
deb=${debs[0]}
echo "package: $(basename "$deb"), $(stat -c %s "$deb") bytes"

# A first upload to Debian would close its ITP bug; this package is not in Debian, so that
# warning is expected. Anything else at warning level or above fails.
report=$(lintian --info --fail-on error,warning --suppress-tags initial-upload-closes-no-bugs "$deb" 2>&1)
status=$?
grep -v "^running with root privileges" <<<"$report"
[ $status -eq 0 ] || fail "lintian reports errors or warnings (above)"

contents=$(dpkg-deb -x "$deb" "$scratch/root" && cd "$scratch/root" && find . -type f -printf '%P\n')
# lintian's warnings already cover unstripped binaries and a missing copyright or changelog.
for doc in README.md LICENSE; do
    grep -qx "usr/share/doc/navrik/$doc" <<<"$contents" || fail "the package lacks usr/share/doc/navrik/$doc"
done

# Depends names the package of every library the programs link (a package made without
# dpkg-shlibdeps names none of them), and the font the windows ask for.
depends=" $(dpkg-deb -f "$deb" Depends | tr ',|' '  ') "
[[ $depends == *" fonts-ipafont-gothic "* ]] || fail "Depends lacks fonts-ipafont-gothic: $depends"
multiarch=$(dpkg-architecture -qDEB_HOST_MULTIARCH)
missing=()
for library in $(objdump -p "$scratch"/root/usr/bin/* "$scratch"/root/usr/libexec/navrik/* | awk '$1 == "NEEDED" {print $2}' | sort -u); do
    owner=$(dpkg -S "*/$multiarch/$library" 2>/dev/null | head -1 | cut -d: -f1)
    [[ -n $owner && $depends == *" $owner "* ]] || missing+=("${owner:-?} ($library)")
done
[ ${#missing[@]} -eq 0 ] || fail "Depends lacks the packages of linked libraries: ${missing[*]}; it is:$depends"

version=$(dpkg-deb -f "$deb" Version) logged=$(zcat "$scratch/root/usr/share/doc/navrik/changelog.Debian.gz" | dpkg-parsechangelog -l - -S Version)
[ "$version" = "$logged" ] || fail "the package is $version but its changelog's last entry is $logged"

[ "$failures" -eq 0 ] && echo "Debian package: all checks passed"
[ "$failures" -eq 0 ]
