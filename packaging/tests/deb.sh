#!/usr/bin/env bash
# Builds the .deb from a build folder and checks it as Debian would: lintian reports no error and
# no warning, the program in it is hardened, and it carries the desktop files and documents.
# Usage: deb.sh CPACK_CONFIG     (exits 77, skipped, without cpack's helpers or lintian)
set -euo pipefail

config=$1
for tool in cpack dpkg-deb dpkg-shlibdeps lintian readelf; do
    command -v "$tool" >/dev/null || { echo "$tool not found; skipping"; exit 77; }
done
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

cpack --config "$config" -G DEB -B "$out" >"$out/cpack.log" 2>&1 || { cat "$out/cpack.log"; exit 1; }
debs=("$out"/*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || { echo "FAIL: no single .deb"; cat "$out/cpack.log"; exit 1; }
deb=${debs[0]}
echo "package: $(basename "$deb")"

status=0
fail() { echo "FAIL: $*"; status=1; }

contents=$(dpkg-deb -c "$deb")
for file in usr/bin/dravenholt-loan usr/share/applications/example.dravenholt.Loan.desktop \
    usr/share/mime/packages/example.dravenholt.Loan.xml usr/share/man/man1/dravenholt-loan.1.gz \
    usr/share/doc/dravenholt-loan/copyright usr/share/doc/dravenholt-loan/changelog.Debian.gz; do
    grep -q " \./$file\$" <<<"$contents" || fail "the package lacks $file"
done
maintainer=$(dpkg-deb -f "$deb" Maintainer)
[ "$maintainer" = "Dravenholt Information Technology <loan@dravenholt.example>" ] ||
    fail "maintainer $maintainer"
# Extended description lines, each given with a leading space, within 80 columns.
long=$(dpkg-deb -f "$deb" Description | awk 'NR > 1 && length($0) > 80')
[ -z "$long" ] || fail "description lines over 80 columns: $long"

dpkg-deb -x "$deb" "$out/root"
program=$out/root/usr/bin/dravenholt-loan
# Every Qt library the program links, Qt SVG included, is declared, whether dpkg-shlibdeps or the
# list by hand declared it.
depends=$(dpkg-deb -f "$deb" Depends)
for library in $(readelf -dW "$program" 2>/dev/null | sed -n 's/.*Shared library: \[libQt6\([A-Za-z]*\)\.so\.6\]/\1/p'); do
    package=libqt6$(tr '[:upper:]' '[:lower:]' <<<"$library")6
    grep -Eq "(^|, )$package( |,|$)" <<<"$depends" || fail "Depends lacks $package: $depends"
done

# Hardened: position independent, relocations read-only and bound at start, stack protected.
readelf -h "$program" | grep -q "Type:.*DYN" || fail "not position independent"
readelf -lW "$program" | grep -q GNU_RELRO || fail "no RELRO"
readelf -dW "$program" | grep -Eq "BIND_NOW|FLAGS_1.*NOW" || fail "not bound now"
symbols=$(readelf --dyn-syms -W "$program")
grep -q __stack_chk_fail <<<"$symbols" || fail "no stack protector"
# Library calls fortified wherever the compiler can see a buffer's size: every source of the
# program was compiled so. (Where it cannot, as for heap buffers, glibc calls the plain function,
# so the binary alone cannot show it.) A source in a folder with a space is quoted, \"like this\".
commands=$(dirname "$config")/compile_commands.json
if [ -f "$commands" ]; then
    sources=$(grep -E '"command":' "$commands" | grep -E '/(app|calc|loan|ui)/[^" ]+\.cpp\\?"' || true)
    [ -n "$sources" ] || fail "no compile command of the program in $commands"
    unfortified=$(grep -v -- '-D_FORTIFY_SOURCE=2' <<<"$sources" | grep -oE '[^ /]+\.cpp\\?"' || true)
    [ -z "$unfortified" ] || fail "compiled without -D_FORTIFY_SOURCE=2: $unfortified"
fi

# Errors and warnings fail. The remaining notes, infos and the overridden tags with the reasons
# the package gives for them, are printed for the record (shown overrides would count as failures,
# hence the second run).
lintian --fail-on error,warning --display-info "$deb" >"$out/lintian.log" 2>&1 || fail "lintian"
grep -v "running with root privileges" "$out/lintian.log" || true
lintian --fail-on none --show-overrides "$deb" 2>/dev/null | grep -E "^(N|O):" || true
[ $status -eq 0 ] && echo "package $(basename "$deb"): lintian clean of errors and warnings, hardened"
exit $status
