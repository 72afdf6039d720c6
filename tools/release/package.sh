#!/usr/bin/env bash
# Makes the release zip and checks it: Orvex.exe and Relaybox.exe as the
# tests run them (built optimised), stripped of their symbols and debug
# information; README.txt for Windows users and CHANGES.txt (both with
# Windows line ends). Each program must carry the project's version record
# and stay under 5 MB.
# Called by "./orvex package": package.sh <source folder> <Windows build folder> <out folder>
set -euo pipefail
ROOT=$1 BUILD=$2 OUT=$3
LIMIT=$((5 * 1024 * 1024))
OBJDUMP=x86_64-w64-mingw32-objdump
STRIP=x86_64-w64-mingw32-strip

fail() { echo "package: $*" >&2; exit 1; }

version=$(cat "$BUILD/version.txt")
name=Orvex-$version-win64
stage=$OUT/package/$name
zipfile=$OUT/$name.zip
rm -rf "$stage" "$zipfile"
mkdir -p "$stage"

grep -qx "$version" "$ROOT/CHANGES.txt" || fail "CHANGES.txt has no entry for version $version"
for exe in Orvex.exe Relaybox.exe; do "$STRIP" --strip-all -o "$stage/$exe" "$BUILD/bin/$exe"; done
sed -e "s/@VERSION@/$version/" -e 's/$/\r/' "$ROOT/docs/release/README.txt" > "$stage/README.txt"
sed -e 's/$/\r/' "$ROOT/CHANGES.txt" > "$stage/CHANGES.txt"
# Files dated as they are, no extra attributes: the same sources make the
# same listing.
(cd "$stage" && zip -q -X -9 "$zipfile" Orvex.exe Relaybox.exe README.txt CHANGES.txt)

# What a user gets: exactly these four files, taken back out of the zip.
listing=$(unzip -Z1 "$zipfile" | LC_ALL=C sort | tr '\n' ' ')
[ "$listing" = "CHANGES.txt Orvex.exe README.txt Relaybox.exe " ] || fail "the zip holds: $listing"
check=$OUT/package/check
rm -rf "$check"
mkdir -p "$check"
unzip -q "$zipfile" -d "$check"
grep -q "^Orvex $version"$'\r'"\$" "$check/README.txt" || fail "README.txt does not name version $version"
copyright=$(sed -n 's/^#define ORVEX_COPYRIGHT "\(.*\)"$/\1/p' "$BUILD/gen/orvex_version.h")
for exe in Orvex Relaybox; do
    file=$check/$exe.exe
    size=$(stat -c %s "$file")
    [ "$size" -lt "$LIMIT" ] || fail "$exe.exe is $size bytes, over 5 MB"
    "$OBJDUMP" -f "$file" | grep 'file format pei-x86-64' >/dev/null || fail "$exe.exe is not a 64-bit Windows program"
    ! "$OBJDUMP" -h "$file" | grep '\.debug_' >/dev/null || fail "$exe.exe carries debug information"
    # The version record's texts are UTF-16: without their zero bytes each
    # name runs into its value.
    record=$(tr -d '\0' < "$file" | LC_ALL=C grep -a -o \
        -e "ProductNameOrvex" -e "ProductVersion$version" -e "FileVersion$version" \
        -e "LegalCopyright$copyright" -e "OriginalFilename$exe.exe" | LC_ALL=C sort -u | wc -l)
    [ "$record" -eq 5 ] || fail "$exe.exe's version record lacks the name, version, copyright or file name"
done

echo "== $zipfile"
printf '   %-12s %9s bytes\n' "zip" "$(stat -c %s "$zipfile")"
for f in Orvex.exe Relaybox.exe README.txt CHANGES.txt; do
    printf '   %-12s %9s bytes\n' "$f" "$(stat -c %s "$check/$f")"
done
rm -rf "$check"
