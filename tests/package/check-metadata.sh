#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the build into a scratch tree and checks what a desktop sees of
# it: the desktop entry, the AppStream data, the icon theme files, the
# manual page, and that these name one another and the program correctly;
# and that publiccode.yml follows its standard and names the newest release.
# Usage: check-metadata.sh BUILD_DIR APP_ID SOURCE_DIR VERSION RELEASE_DATE
set -euo pipefail
trap 'echo "check-metadata: stopped at line $LINENO: $BASH_COMMAND" >&2' ERR
build=$1
id=$2
source=$3
version=$4
date=$5

tree=$(mktemp -d /tmp/navicella-metadata.XXXXXX)
trap 'rm -rf "$tree"' EXIT
DESTDIR=$tree cmake --install "$build" --prefix /usr >/dev/null
share=$tree/usr/share
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

expected=(
  usr/bin/navicella
  "usr/share/applications/$id.desktop"
  "usr/share/metainfo/$id.metainfo.xml"
  usr/share/man/man6/navicella.6.gz
  usr/share/doc/navicella/copyright
  usr/share/doc/navicella/changelog.gz
  "usr/share/icons/hicolor/scalable/apps/$id.svg"
)
for size in $NAVICELLA_ICON_SIZES; do
  expected+=("usr/share/icons/hicolor/${size}x$size/apps/$id.png")
done
for path in "${expected[@]}"; do
  [ -f "$tree/$path" ] || fail "not installed: /$path"
done

desktop=$share/applications/$id.desktop
echo "== desktop-file-validate"
desktop-file-validate "$desktop" || fail "desktop-file-validate"

echo "== appstreamcli validate --no-net"
appstreamcli validate --no-net "$share/metainfo/$id.metainfo.xml" || fail "appstreamcli validate"
echo "== appstreamcli validate-tree --no-net"
appstreamcli validate-tree --no-net "$tree" || fail "appstreamcli validate-tree"

# The names that tie the pieces together.
key() { sed -n "s/^$1=//p" "$desktop"; }
[ "$(key Icon)" = "$id" ] || fail "desktop Icon is '$(key Icon)', not $id"
[ "$(key Exec)" = navicella ] || fail "desktop Exec is '$(key Exec)'"
[ "$(key Categories)" = 'Education;Game;KidsGame;' ] || fail "desktop Categories '$(key Categories)'"
[ -n "$(key 'Name\[it\]')" ] && [ -n "$(key 'Comment\[it\]')" ] && [ -n "$(key 'GenericName\[it\]')" ] ||
  fail "desktop entry lacks an Italian name, generic name or comment"
metainfo=$share/metainfo/$id.metainfo.xml
grep -q "<id>$id</id>" "$metainfo" || fail "metainfo id is not $id"
grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$metainfo" ||
  fail "metainfo does not launch $id.desktop"
grep -q '<binary>navicella</binary>' "$metainfo" || fail "metainfo does not provide the binary"
grep -q '<summary xml:lang="it">' "$metainfo" || fail "metainfo has no Italian summary"

echo "== manual page"
warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l "$share/man/man6/navicella.6.gz" 2>&1 >/dev/null)
[ -z "$warnings" ] || fail "man reports: $warnings"
page=$(LC_ALL=C.UTF-8 MANWIDTH=200 man -l "$share/man/man6/navicella.6.gz" 2>/dev/null | col -b)
for text in 'Guida la navicella: segui il filo di Velmora!' 'Sinistra o Destra ?' \
    'Ritenta - Sinistra o Destra ?' 'Via per iniziare' Sinistra Destra Pulisci Esci Opzioni \
    Facile Semplice Complesso Info; do
  grep -qF -- "$text" <<<"$page" || fail "manual page does not mention '$text'"
done
gzip -lv "$share/man/man6/navicella.6.gz" >/dev/null || fail "manual page is not gzip"

echo "== publiccode.yml"
# The keys publiccode.yml 0.4 requires, its enumerations, and the release.
python3 - "$source" "$version" "$date" <<'PYTHON' || fail "publiccode.yml"
import os, sys, yaml
source, version, date = sys.argv[1:]
with open(os.path.join(source, "publiccode.yml"), encoding="utf-8") as file:
    code = yaml.safe_load(file)
problems = []
def need(path, check=lambda value: value not in (None, "", [])):
    value = code
    for key in path.split("/"):
        value = value.get(key) if isinstance(value, dict) else None
    if not check(value):
        problems.append(f"{path} is {value!r}")
for path in ("name", "url", "platforms", "categories", "maintenance/type",
             "maintenance/contacts", "description/it/features", "localisation/availableLanguages"):
    need(path)
need("publiccodeYmlVersion", lambda v: v == "0.4")
need("softwareVersion", lambda v: v == version)
need("releaseDate", lambda v: str(v) == date)
need("platforms", lambda v: {"web", "linux"} <= set(v or []))
need("developmentStatus", lambda v: v in ("concept", "development", "beta", "stable", "obsolete"))
need("softwareType", lambda v: v in ("standalone/mobile", "standalone/iot", "standalone/desktop",
     "standalone/web", "standalone/backend", "standalone/other", "addon", "library",
     "configurationFiles"))
need("description/it/shortDescription", lambda v: isinstance(v, str) and 0 < len(v) <= 150)
need("description/it/longDescription", lambda v: isinstance(v, str) and 150 <= len(v) <= 10000)
need("legal/license", lambda v: v == "GPL-3.0-or-later")
need("localisation/localisationReady", lambda v: isinstance(v, bool))
statement = "docs/accessibilita.md"
if os.path.exists(os.path.join(source, statement)) and statement not in yaml.dump(code):
    problems.append(f"publiccode.yml does not name the accessibility statement {statement}")
for problem in problems:
    print("publiccode.yml:", problem, file=sys.stderr)
sys.exit(1 if problems else 0)
PYTHON

[ "$failures" -eq 0 ] || { echo "$failures check(s) failed" >&2; exit 1; }
echo "all metadata checks passed"
