#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs a build into a scratch DESTDIR under the prefix /usr, as the Debian package does, and
# checks every file an operator's desktop needs, the man pages and the AppStream metadata.
#   check-install.sh BUILD_DIR EXPECT_PNG(0|1)
set -uo pipefail
build=$1
expect_png=$2
scratch=$(mktemp -d "${TMPDIR:-/tmp}/veltrane-install.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
root="$scratch/root"
usr="$root/usr"
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

DESTDIR="$root" cmake --install "$build" --prefix /usr >"$scratch/install.log" 2>&1 ||
  { cat "$scratch/install.log" >&2; echo "FAIL: cmake --install failed" >&2; exit 1; }

for program in veltrane veltrane-rigsim; do
  [[ -x "$usr/bin/$program" ]] || { fail "/usr/bin/$program is missing or not executable"; continue; }
  # The installed binaries must not look for libraries in the build tree.
  readelf -d "$usr/bin/$program" | grep -E 'R(UN)?PATH' | grep -qF "$build" &&
    fail "$program keeps the build tree in its library path"
done
# The simulator runs from its installed place and prints its usage.
"$usr/bin/veltrane-rigsim" --help 2>&1 | grep -q -- '--family' || fail "installed veltrane-rigsim --help lists no --family"

desktop="$usr/share/applications/veltrane.desktop"
if [[ -f "$desktop" ]]; then
  desktop-file-validate "$desktop" || fail "desktop-file-validate rejects veltrane.desktop"
  for line in 'Type=Application' 'Name=Veltrane' 'Exec=veltrane --config-home' 'Icon=veltrane' 'Categories=HamRadio;Network;'; do
    grep -qxF "$line" "$desktop" || fail "veltrane.desktop lacks the line $line"
  done
  grep -qE '^Comment=.+' "$desktop" && grep -qE '^Comment\[ja\]=.+' "$desktop" ||
    fail "veltrane.desktop lacks its English or Japanese Comment"
else
  fail "/usr/share/applications/veltrane.desktop is missing"
fi
grep -q '<svg' "$usr/share/icons/hicolor/scalable/apps/veltrane.svg" 2>/dev/null || fail "the SVG icon is missing"

# The metadata and the desktop entry it names, as software centres read them.
appstreamcli validate-tree --no-net "$root" || fail "appstreamcli rejects the metadata or its desktop entry"
man1="$usr/share/man/man1"
for page in veltrane veltrane-rigsim; do
  zcat "$man1/$page.1.gz" 2>/dev/null | grep -q '^\.TH ' || fail "the man page $page.1.gz is missing"
done
# Every option each program's help lists is in its man page (roff writes a dash \-).
for program in veltrane veltrane-rigsim; do
  for option in $("$usr/bin/$program" --help | grep -oE '^  (-[a-z], )?--[a-z0-9-]+' | grep -oE -- '--[a-z0-9-]+'); do
    zcat "$man1/$program.1.gz" 2>/dev/null | grep -qF -- "${option//-/\\-}" || fail "$program.1 lacks $option"
  done
done

png="$usr/share/icons/hicolor/48x48/apps/veltrane.png"
if [[ "$expect_png" == 1 ]]; then
  # PNG signature, then the IHDR chunk: width and height as big-endian 32-bit numbers, 48 each.
  head=$(od -An -tx1 -N24 "$png" 2>/dev/null | tr -d ' \n')
  [[ "$head" == 89504e470d0a1a0a*0000003000000030 ]] || fail "veltrane.png is not a 48x48 PNG ($head)"
elif [[ -e "$png" ]]; then
  fail "a PNG icon was installed although no renderer was found"
fi

if ((failures > 0)); then
  (cd "$root" && find . -type f | sort) >&2
  exit 1
fi
echo "install into DESTDIR: program, simulator, desktop entry, icons, man pages and metadata in place"
