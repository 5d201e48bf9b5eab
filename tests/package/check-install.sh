#!/usr/bin/env bash
# Installs a build into a scratch DESTDIR under the prefix /usr, as the Debian package does, and
# checks every file an operator's desktop needs.
#   check-install.sh BUILD_DIR EXPECT_PNG(0|1)
set -uo pipefail
build=$1
expect_png=$2
prefix=/usr

scratch=$(mktemp -d "${TMPDIR:-/tmp}/veltrane-install.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
root="$scratch/root"
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

if ! DESTDIR="$root" cmake --install "$build" --prefix "$prefix" >"$scratch/install.log" 2>&1; then
  cat "$scratch/install.log" >&2
  echo "FAIL: cmake --install failed" >&2
  exit 1
fi

bin="$root$prefix/bin"
share="$root$prefix/share"
for program in veltrane veltrane-rigsim; do
  if [[ ! -f "$bin/$program" || ! -x "$bin/$program" ]]; then
    fail "$prefix/bin/$program is missing or not executable"
    continue
  fi
  # The installed binaries must not look for libraries in the build tree.
  runpath=$(readelf -d "$bin/$program" 2>/dev/null | grep -E 'R(UN)?PATH' || true)
  if [[ -n "$runpath" && "$runpath" == *"$build"* ]]; then
    fail "$program keeps the build tree in its library path: $runpath"
  fi
done

# The simulator runs from its installed place and prints its usage.
if [[ -x "$bin/veltrane-rigsim" ]]; then
  if ! usage=$("$bin/veltrane-rigsim" --help 2>&1); then
    fail "installed veltrane-rigsim --help exited with an error"
  elif [[ "$usage" != *"--family"* ]]; then
    fail "installed veltrane-rigsim --help does not list --family: $usage"
  fi
fi

desktop="$share/applications/veltrane.desktop"
if [[ ! -f "$desktop" ]]; then
  fail "$prefix/share/applications/veltrane.desktop is missing"
else
  if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$desktop" || fail "desktop-file-validate rejects veltrane.desktop"
  else
    echo "desktop-file-validate not installed (package desktop-file-utils): entry not validated"
  fi
  for line in 'Type=Application' 'Name=Veltrane' 'Exec=veltrane' 'Icon=veltrane' \
              'Categories=HamRadio;Network;'; do
    grep -qxF "$line" "$desktop" || fail "veltrane.desktop lacks the line $line"
  done
  grep -qE '^Comment=.+' "$desktop" || fail "veltrane.desktop has no English Comment"
  grep -qE '^Comment\[ja\]=.+' "$desktop" || fail "veltrane.desktop has no Japanese Comment[ja]"
  # The command it starts is the program installed beside it.
  exec_name=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$desktop")
  [[ -x "$bin/$exec_name" ]] || fail "Exec=$exec_name is not an installed program"
fi

svg="$share/icons/hicolor/scalable/apps/veltrane.svg"
if [[ ! -f "$svg" ]]; then
  fail "$prefix/share/icons/hicolor/scalable/apps/veltrane.svg is missing"
elif ! grep -q '<svg' "$svg"; then
  fail "veltrane.svg holds no <svg> element"
fi

png="$share/icons/hicolor/48x48/apps/veltrane.png"
if [[ "$expect_png" == 1 ]]; then
  if [[ ! -f "$png" ]]; then
    fail "$prefix/share/icons/hicolor/48x48/apps/veltrane.png is missing"
  else
    # PNG signature, then the IHDR chunk: width and height as big-endian 32-bit numbers.
    signature=$(od -An -tx1 -N8 "$png" | tr -d ' \n')
    [[ "$signature" == 89504e470d0a1a0a ]] || fail "veltrane.png is not a PNG (signature $signature)"
    width=$(od -An -tu1 -j16 -N4 "$png" | awk '{print $1*16777216 + $2*65536 + $3*256 + $4}')
    height=$(od -An -tu1 -j20 -N4 "$png" | awk '{print $1*16777216 + $2*65536 + $3*256 + $4}')
    [[ "$width" == 48 && "$height" == 48 ]] || fail "veltrane.png is ${width}x${height}, not 48x48"
  fi
elif [[ -e "$png" ]]; then
  fail "a PNG icon was installed although no renderer was found"
fi

if ((failures > 0)); then
  echo "installed files:" >&2
  (cd "$root" && find . -type f | sort) >&2
  exit 1
fi
echo "install into DESTDIR: program, simulator, desktop entry and icons in place"
