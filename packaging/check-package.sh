#!/usr/bin/env bash
# Checks the installed veltrano-importer package: it holds the program and its
# desktop files where the desktop looks for them, the program finds every
# library it links, and the desktop entry and AppStream metadata validate.
# Needs desktop-file-validate (desktop-file-utils) and appstreamcli (appstream).
set -euo pipefail

say() { printf '==> %s\n' "$*" >&2; }
fail() { printf 'check-package: %s\n' "$*" >&2; exit 1; }

package=veltrano-importer
program=/usr/bin/veltrano-importer
desktop_entry=/usr/share/applications/org.veltrano.importer.desktop
metainfo=/usr/share/metainfo/org.veltrano.importer.metainfo.xml
expected=(
    "$program"
    "$desktop_entry"
    /usr/share/mime/packages/veltrano-importer-puredata.xml
    /usr/share/icons/hicolor/scalable/apps/org.veltrano.importer.svg
    "$metainfo"
    /usr/share/man/man1/veltrano-importer.1
    /usr/share/doc/veltrano-importer/copyright
)

say "checking the files of $package"
listed=$(dpkg -L "$package")
for path in "${expected[@]}"; do
    grep -Fxq "$path" <<<"$listed" || fail "dpkg -L $package does not list $path"
    [ -f "$path" ] || fail "$path is listed but not installed"
done
[ -x "$program" ] || fail "$program is not executable"

# dpkg-shlibdeps must have named every library the program links.
if ldd "$program" | grep -F 'not found' >&2; then
    fail "$program links libraries that no dependency installed"
fi

# The shared-mime-info trigger compiles the type into the MIME database.
[ -f /usr/share/mime/text/x-puredata.xml ] || fail "text/x-puredata is not in the MIME database"

say "validating the desktop entry"
desktop-file-validate "$desktop_entry"
say "validating the AppStream metadata"
appstreamcli validate --no-net "$metainfo"
say "$package is installed and valid"
