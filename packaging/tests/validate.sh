#!/usr/bin/env bash
# Validates the desktop files as written: the desktop entry, the AppStream metainfo, the loan file
# type, the manual page, and that they all name the same file type and contact address.
# Usage: validate.sh SOURCE_DIR BUILT_MANUAL_PAGE
# Exits 77 (skipped) when a validator is not installed.
set -euo pipefail

source_dir=$1
manual=$2
id=example.dravenholt.Loan
type=application/x-dravenholt-loan
desktop=$source_dir/packaging/$id.desktop
metainfo=$source_dir/packaging/$id.metainfo.xml
mime=$source_dir/packaging/$id.mime.xml

for tool in desktop-file-validate appstreamcli xmllint man; do
    if ! command -v "$tool" >/dev/null; then
        echo "$tool not found; skipping"
        exit 77
    fi
done

status=0
fail() { echo "FAIL: $*"; status=1; }

# Hints leave the exit status at 0 but still mean a menu may file the entry badly, so any output fails.
report=$(desktop-file-validate "$desktop" 2>&1) || fail "desktop entry: $report"
[ -z "$report" ] || fail "desktop entry: $report"
grep -qx "Exec=dravenholt-loan %f" "$desktop" || fail "the desktop entry does not pass the file"
grep -qx "MimeType=$type;" "$desktop" || fail "the desktop entry does not claim $type"

# Strict, so that infos and warnings fail too. The one exception: the validator does not know
# ".example" as a top-level domain and so doubts that the reverse-DNS id is one.
appstreamcli validate --no-net --strict --override=cid-maybe-not-rdns=pedantic "$metainfo" ||
    fail "metainfo"
[ "$(xmllint --xpath 'string(//provides/mediatype)' "$metainfo")" = "$type" ] ||
    fail "the metainfo does not name $type"

# The file type: well formed, one type, globbing *.loa in any case, with a comment and the icon.
query() { xmllint --xpath "$1" "$mime"; }
if xmllint --noout "$mime"; then
    [ "$(query "count(//*[local-name()='mime-type'])")" = 1 ] || fail "not one MIME type"
    [ "$(query "string(//*[local-name()='mime-type']/@type)")" = "$type" ] || fail "not $type"
    [ "$(query "string(//*[local-name()='glob']/@pattern)")" = "*.loa" ] || fail "no *.loa glob"
    [ "$(query "string(//*[local-name()='glob']/@case-sensitive)")" != true ] ||
        fail "the glob ignores names in capitals"
    [ -n "$(query "string(//*[local-name()='comment'])")" ] || fail "no comment"
    [ "$(query "string(//*[local-name()='icon']/@name)")" = "$id" ] || fail "not the program's icon"
else
    fail "MIME type XML"
fi

# The manual page renders without a warning and says what the command line takes.
errors=$(mktemp)
trap 'rm -f "$errors"' EXIT
page=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings --no-hyphenation --no-justification -E UTF-8 \
    -l "$manual" 2>"$errors") || fail "man cannot render the manual page"
[ ! -s "$errors" ] || fail "manual page: $(cat "$errors")"
for text in NAME SYNOPSIS OPTIONS FILES "dravenholt-loan \[FILE\]" "--help" "--version" \
    "--schedule FILE CODE \[--time TIME\] \[--extra AMOUNT\]" "114-byte records"; do
    grep -q -- "$text" <<<"$page" || fail "the manual page lacks \"$text\""
done

# One contact address wherever the program or its package gives one.
addresses=$(grep -rhoE '[A-Za-z0-9._%+-]+@dravenholt\.example' "$source_dir/ui" \
    "$source_dir/packaging" "$source_dir/cmake" "$source_dir/README.md" | sort -u)
[ "$(wc -l <<<"$addresses")" -eq 1 ] || fail "more than one contact address: $addresses"

[ $status -eq 0 ] && echo "desktop entry, metainfo, file type, manual page and address: valid"
exit $status
