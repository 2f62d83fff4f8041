#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks what lands where: the programs, the mail
# sender where machine.reg says, the data, the desktop entry, icons, metadata and manual pages, and
# that each of those files passes its format's own validator. Nothing else may be installed.
set -u
build=${CHIRPEL_BUILD_DIR:?CHIRPEL_BUILD_DIR names the build folder}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

cmake --install "$build" --prefix "$prefix" >"$work/install.log" 2>&1 || { cat "$work/install.log" >&2; fail "cmake --install"; exit 1; }

id=org.chirpel.Chirpel
programs=(bin/chirpel bin/chirpel-pack "lib/chirpel/Vantorq Systems/SendMail")
expected=("${programs[@]}" share/chirpel/machine.reg share/chirpel/chirpelTips.enu share/applications/$id.desktop
  share/metainfo/$id.metainfo.xml share/icons/hicolor/scalable/apps/$id.svg share/man/man1/chirpel.1.gz
  share/man/man1/chirpel-pack.1.gz share/man/man1/chirpel-sendmail.1.gz share/doc/chirpel/copyright
  share/doc/chirpel/changelog.Debian.gz)
for size in 16 24 32 48 64 128 256; do expected+=("share/icons/hicolor/${size}x${size}/apps/$id.png"); done

for f in "${expected[@]}"; do [ -f "$prefix/$f" ] || fail "missing $f"; done
for f in "${programs[@]}"; do [ -x "$prefix/$f" ] || fail "$f is not executable"; done
# Nothing else: every installed file is one the package means to ship.
extra=$(comm -23 <(cd "$prefix" && find . -type f | sed 's|^\./||' | sort) <(printf '%s\n' "${expected[@]}" | sort))
[ -z "$extra" ] || fail "unexpected files installed: $extra"
# The sender is where the installed machine.reg sends the program to look for it.
common=$(sed -n 's/^"CommonFilesDir"="\(.*\)"\r\{0,1\}$/\1/p' "$prefix/share/chirpel/machine.reg")
case "$common" in
  */lib/chirpel) ;;
  *) fail "machine.reg names CommonFilesDir '$common', not the package's lib/chirpel" ;;
esac
# Icons are the sizes their folders claim.
for size in 16 48 256; do
  got=$(identify -format '%wx%h' "$prefix/share/icons/hicolor/${size}x${size}/apps/$id.png")
  [ "$got" = "${size}x${size}" ] || fail "the ${size} px icon is $got"
done

desktop-file-validate "$prefix/share/applications/$id.desktop" || fail "desktop-file-validate"
appstreamcli validate --no-net --pedantic "$prefix/share/metainfo/$id.metainfo.xml" >"$work/as.log" 2>&1 \
  || { cat "$work/as.log" >&2; fail "appstreamcli validate"; }
for page in chirpel chirpel-pack chirpel-sendmail; do
  out=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$prefix/share/man/man1/$page.1.gz" 2>&1 >"$work/$page.txt")
  [ -z "$out" ] || fail "man -l $page: $out"
  grep -q "^NAME" "$work/$page.txt" || fail "man -l $page rendered no NAME section"
done

[ "$failures" -eq 0 ] && echo "install layout: ${#expected[@]} files in place" || exit 1
