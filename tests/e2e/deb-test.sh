#!/usr/bin/env bash
# Checks the Debian package: its desktop entry and AppStream file validate,
# lintian finds no error, the guide is where the help says, and the program
# unpacked from it starts under Xvfb and plays a tune with its own sound module.
set -euo pipefail

deb=${1:?usage: deb-test.sh path/to/tovins-timer_VERSION_ARCH.deb}
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=e2e-lib.sh
. "$here/e2e-lib.sh"

root="$E2E_WORK/root"
dpkg-deb -x "$deb" "$root"
echo "depends: $(dpkg-deb -f "$deb" Depends)"
desktop-file-validate "$root/usr/share/applications/tovins-timer.desktop" || e2e_fail "desktop entry"
appstreamcli validate --no-net "$root"/usr/share/metainfo/*.metainfo.xml || e2e_fail "AppStream file"
tags=$(lintian --fail-on error "$deb" 2>&1) || e2e_fail "lintian found errors: $tags"
tags=$(grep -v 'root privileges' <<<"$tags" || true)
echo "lintian: ${tags:-no tags}"
for file in usr/share/icons/hicolor/scalable/apps/tovins-timer.svg usr/share/man/man1/tovins-timer.1.gz \
  usr/share/doc/tovins-timer/copyright; do
  [ -f "$root/$file" ] || e2e_fail "no $file in the package"
done
guide=$(tr '\0' '\n' <"$root/usr/bin/tovins-timer" | grep -o 'The guide: /.*' | head -n1 | cut -d' ' -f3)
[ -n "$guide" ] && [ -f "$root$guide" ] || e2e_fail "the help's guide '$guide' is not in the package"

command -v Xvfb >/dev/null && command -v xdotool >/dev/null || { echo "SKIP: Xvfb or xdotool missing"; exit 77; }
program="$root/usr/bin/tovins-timer"
e2e_start_xvfb || e2e_fail "no free X display"
e2e_private_home
e2e_start_program
timeout 5 xdotool key --window "$E2E_WINDOW" g
e2e_wait_caption ! "^Timer$" 30 || e2e_fail "Go left the caption at '$(e2e_caption)'"
grep -q "$root/usr/lib/.*tovins-timer-sound" "/proc/$E2E_APP_PID/maps" || e2e_fail "the packaged sound module was not loaded"
echo "playing: $(e2e_caption)"
echo "PASS"
