#!/usr/bin/env bash
# Installs the build into a throw-away staging folder and checks that every file the desktop
# needs is there and works together: the program, its menu entry, its metainfo, its icons, the
# loan file type (a desktop asking for the type of a .loa file gets it, and the program as its
# handler), the manual page and the package documents.
# Usage: install.sh CMAKE BUILD_DIR
set -euo pipefail

cmake=$1
build=$2
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT

"$cmake" --install "$build" --prefix "$stage/usr" >/dev/null

id=example.dravenholt.Loan
type=application/x-dravenholt-loan
expected=(
    "usr/bin/dravenholt-loan"
    "usr/share/applications/$id.desktop"
    "usr/share/metainfo/$id.metainfo.xml"
    "usr/share/mime/packages/$id.xml"
    "usr/share/icons/hicolor/scalable/apps/$id.svg"
    "usr/share/man/man1/dravenholt-loan.1.gz"
    "usr/share/doc/dravenholt-loan/copyright"
    "usr/share/doc/dravenholt-loan/changelog.Debian.gz"
)
for size in 16 32 48 64 128 256; do
    expected+=("usr/share/icons/hicolor/${size}x${size}/apps/$id.png")
done

status=0
fail() { echo "FAIL: $*"; status=1; }
for file in "${expected[@]}"; do
    [ -s "$stage/$file" ] || fail "missing or empty: $file"
done
[ -x "$stage/usr/bin/dravenholt-loan" ] || fail "not executable: usr/bin/dravenholt-loan"
[ $status -eq 0 ] || exit $status

# The tree check ties the metainfo to the desktop entry and the icon as they are installed.
if command -v appstreamcli >/dev/null; then
    appstreamcli validate-tree --no-net --strict --override=cid-maybe-not-rdns=pedantic "$stage/usr" ||
        fail "appstream tree"
fi

# Compressed as Debian wants: gzip at its best, no name or time stored.
for file in usr/share/man/man1/dravenholt-loan.1.gz usr/share/doc/dravenholt-loan/changelog.Debian.gz; do
    gzip -t "$stage/$file" || fail "not gzip: $file"
    header=$(od -An -tx1 -N10 "$stage/$file" | tr -d ' \n')
    [ "${header:6:2}" = 00 ] || fail "$file stores its name"
    [ "${header:8:8}" = 00000000 ] || fail "$file stores a time"
    [ "${header:16:2}" = 02 ] || fail "$file is not compressed at the best level"
done
man --warnings -l "$stage/usr/share/man/man1/dravenholt-loan.1.gz" >/dev/null 2>"$stage/man.log" &&
    [ ! -s "$stage/man.log" ] || fail "the installed manual page: $(cat "$stage/man.log")"

# The desktop's view of the staged files: the MIME database and the handler cache built there,
# asked through xdg-mime as a file manager would, with no desktop environment of its own.
if command -v update-mime-database >/dev/null && command -v xdg-mime >/dev/null &&
    command -v mimetype >/dev/null && command -v update-desktop-database >/dev/null; then
    share=$stage/usr/share
    XDG_DATA_DIRS="$share:/usr/share" update-mime-database "$share/mime"
    update-desktop-database "$share/applications"
    mkdir -p "$stage/files" "$stage/home"
    ask() {
        env -u XDG_CURRENT_DESKTOP -u DESKTOP_SESSION -u KDE_FULL_SESSION -u GNOME_DESKTOP_SESSION_ID \
            HOME="$stage/home" XDG_DATA_HOME="$stage/home/data" XDG_CONFIG_HOME="$stage/home/config" \
            XDG_DATA_DIRS="$share:/usr/share" xdg-mime query "$@"
    }
    for name in loans.loa LOANS.LOA Loans.Loa; do
        printf '%-113s\r%-113s\r' HOME '' >"$stage/files/$name"
        got=$(ask filetype "$stage/files/$name")
        [ "$got" = "$type" ] || fail "$name is $got, not $type"
    done
    printf 'plain\n' >"$stage/files/loans.txt"
    got=$(ask filetype "$stage/files/loans.txt")
    [ "$got" != "$type" ] || fail "loans.txt is taken for a loan file"
    got=$(ask default "$type")
    [ "$got" = "$id.desktop" ] || fail "the handler of $type is \"$got\", not $id.desktop"
else
    echo "update-mime-database, xdg-mime, mimetype or update-desktop-database missing: file type not asked"
fi

[ $status -eq 0 ] && echo "installed: ${#expected[@]} files checked, loan files open with the program"
exit $status
