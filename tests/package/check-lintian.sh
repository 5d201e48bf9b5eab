#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the Debian package of a build in a scratch folder and fails on every error (E:) and
# warning (W:) lintian finds in it.
#   check-lintian.sh BUILD_DIR
set -uo pipefail
scratch=$(mktemp -d "${TMPDIR:-/tmp}/veltrane-lintian.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
cpack -G DEB --config "$1/CPackConfig.cmake" -B "$scratch" >"$scratch/cpack.log" 2>&1 ||
  { cat "$scratch/cpack.log" >&2; echo "FAIL: cpack failed" >&2; exit 1; }
deb=$(find "$scratch" -maxdepth 1 -name 'veltrane_*.deb')
[[ -f "$deb" ]] || { echo "FAIL: cpack made no veltrane_*.deb" >&2; exit 1; }
report=$(lintian --fail-on none "$deb" 2>&1) || { echo "$report" >&2; echo "FAIL: lintian did not run" >&2; exit 1; }
echo "$report"
if grep -qE '^[EW]: ' <<<"$report"; then
  echo "FAIL: lintian reports the errors or warnings above in $(basename "$deb")" >&2
  exit 1
fi
echo "lintian: no error or warning in $(basename "$deb")"
