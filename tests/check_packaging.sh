#!/usr/bin/env bash
# Installs a built tree into a scratch DESTDIR and packs it as a .deb, then checks what a desktop and
# dpkg will see: the files and where they land, the menu entry and AppStream data as their own
# validators judge them, the icon sizes, and the package's computed dependencies and contents.
# Usage: check_packaging.sh <build dir>
set -uo pipefail

build="${1:?usage: check_packaging.sh <build dir>}"
id=com.tavorink.Trailscribe
sizes=(16 22 24 32 48 64 128 256)

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
pass() { echo "ok:   $*"; }
phase() { echo "--- $* (at ${SECONDS}s)"; }

for tool in cmake cpack desktop-file-validate appstreamcli dpkg-deb dpkg-shlibdeps update-mime-database; do
  command -v "$tool" >/dev/null || { echo "FAIL: $tool is not installed (scripts/install-deps installs it)"; exit 1; }
done
[ -x "$build/app/trailscribe" ] || { echo "FAIL: $build/app/trailscribe is not built"; exit 1; }

tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT
stage="$tmp/stage"

# PNG width and height from the IHDR chunk (bytes 16..23, big-endian).
png_size() {
  local w h
  w=$(od -An -tu1 -j16 -N4 "$1" | awk '{print ($1*16777216)+($2*65536)+($3*256)+$4}')
  h=$(od -An -tu1 -j20 -N4 "$1" | awk '{print ($1*16777216)+($2*65536)+($3*256)+$4}')
  echo "${w}x${h}"
}

# Value of a key in the [Desktop Entry] group.
desktop_key() {
  awk -F= -v k="$2" '/^\[/{g=($0=="[Desktop Entry]")} g && $1==k {sub(/^[^=]*=/,""); print; exit}' "$1"
}

# --- install ----------------------------------------------------------------------------------------
phase install
if ! DESTDIR="$stage" cmake --install "$build" --prefix /usr >"$tmp/install.log" 2>&1; then
  cat "$tmp/install.log"
  echo "FAIL: cmake --install"
  exit 1
fi

usr="$stage/usr"
bin="$usr/bin/trailscribe"
desktop="$usr/share/applications/$id.desktop"
metainfo="$usr/share/metainfo/$id.metainfo.xml"
svg="$usr/share/icons/hicolor/scalable/apps/$id.svg"
mimexml="$usr/share/mime/packages/$id.xml"

if [ -x "$bin" ] && [ "$(head -c4 "$bin" | od -An -c | tr -d ' ')" = '177ELF' ]; then
  pass "program installed as an executable at /usr/bin/trailscribe"
else
  fail "no executable program at /usr/bin/trailscribe"
fi
for f in "$desktop" "$metainfo" "$svg" "$mimexml"; do
  if [ -s "$f" ]; then pass "${f#"$stage"}"; else fail "missing ${f#"$stage"}"; fi
done
if [ -s "$svg" ] && grep -q '<svg' "$svg"; then :; else fail "scalable icon is not an SVG"; fi
for n in "${sizes[@]}"; do
  png="$usr/share/icons/hicolor/${n}x${n}/apps/$id.png"
  if [ ! -s "$png" ]; then
    fail "missing ${png#"$stage"}"
  elif [ "$(head -c8 "$png" | od -An -tx1 | tr -d ' \n')" != 89504e470d0a1a0a ]; then
    fail "${png#"$stage"} is not a PNG"
  elif [ "$(png_size "$png")" != "${n}x${n}" ]; then
    fail "${png#"$stage"} is $(png_size "$png"), not ${n}x${n}"
  else
    pass "${n}x${n} icon"
  fi
done
outside="$(cd "$stage" && find . -mindepth 1 -not -path './usr' -not -path './usr/*')"
if [ -z "$outside" ]; then pass "everything lands under the prefix"; else fail "installed outside the prefix: $outside"; fi

# --- one id ties the menu entry, the icon and the metadata together -----------------------------------
if [ -s "$desktop" ]; then
  icon="$(desktop_key "$desktop" Icon)"
  exec_bin="$(desktop_key "$desktop" Exec | awk '{print $1}')"
  [ "$icon" = "$id" ] && pass "menu entry's icon is $id" || fail "menu entry's Icon is '$icon', not $id"
  [ -x "$usr/bin/$exec_bin" ] && pass "menu entry starts /usr/bin/$exec_bin" || fail "menu entry's Exec '$exec_bin' is not an installed program"
  categories="$(desktop_key "$desktop" Categories)"
  case ";$categories" in
    *";Network;"*|*";Development;"*) pass "menu categories: $categories" ;;
    *) fail "menu entry is in neither Network nor Development: '$categories'" ;;
  esac
fi
# The entry offers the program for HAR files, of a type that the shipped definition gives to *.har.
if [ -s "$desktop" ] && [ -s "$mimexml" ]; then
  mimetypes="$(desktop_key "$desktop" MimeType)"
  mkdir -p "$tmp/mime/packages" && cp "$mimexml" "$tmp/mime/packages/"
  if ! update-mime-database "$tmp/mime" >"$tmp/mime.log" 2>&1; then
    cat "$tmp/mime.log"
    fail "update-mime-database rejects ${mimexml#"$stage"}"
  else
    hartype="$(awk -F: '$3 == "*.har" {print $2}' "$tmp/mime/globs2")"
    if [ -n "$hartype" ] && [[ ";$mimetypes" == *";$hartype;"* ]]; then
      pass "menu entry opens *.har ($hartype)"
    else
      fail "menu entry's MimeType '$mimetypes' lacks the type of *.har ('$hartype')"
    fi
  fi
  exec_line="$(desktop_key "$desktop" Exec)"
  [[ "$exec_line" == *%[fF]* ]] && pass "menu entry passes the files" || fail "menu entry's Exec '$exec_line' takes no files"
fi
if [ -s "$metainfo" ]; then
  grep -q "<id>$id</id>" "$metainfo" && pass "metainfo id" || fail "metainfo has no <id>$id</id>"
  grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$metainfo" \
    && pass "metainfo launches $id.desktop" || fail "metainfo's launchable is not $id.desktop"
fi

# --- the validators: any error or warning fails ---------------------------------------------------------
phase validators
if [ -s "$desktop" ]; then
  out="$(desktop-file-validate "$desktop" 2>&1)"; rc=$?
  [ -n "$out" ] && echo "$out"
  if [ $rc -ne 0 ] || grep -qE ': (error|warning):' <<<"$out"; then
    fail "desktop-file-validate"
  else
    pass "desktop-file-validate"
  fi
fi
if [ -s "$metainfo" ]; then
  # Errors and warnings fail. Informational notes do not: Debian 12's AppStream knows only
  # <developer_name>, and Debian 13's notes it as deprecated in favour of <developer>, which
  # Debian 12's does not know; no one file passes --strict on both.
  if appstreamcli validate --no-net "$metainfo"; then pass "appstreamcli validate"; else fail "appstreamcli validate"; fi
  # The tree check also finds the desktop file and icon that the metadata names.
  if appstreamcli validate-tree --no-net "$stage"; then pass "appstreamcli validate-tree"; else fail "appstreamcli validate-tree"; fi
fi

# --- the Debian package -------------------------------------------------------------------------------
phase "Debian package"
if ! cpack --config "$build/CPackConfig.cmake" -G DEB -B "$tmp/pkg" >"$tmp/cpack.log" 2>&1; then
  cat "$tmp/cpack.log"
  fail "cpack"
else
  debs=("$tmp"/pkg/*.deb)
  if [ ${#debs[@]} -ne 1 ] || [ ! -f "${debs[0]}" ]; then
    fail "cpack made no single .deb: ${debs[*]}"
  else
    deb="${debs[0]}"
    pass "built $(basename "$deb")"
    [ "$(dpkg-deb -f "$deb" Package)" = trailscribe ] && pass "package name" || fail "package is not named trailscribe"
    version="$(dpkg-deb -f "$deb" Version)"
    if grep -q "<release version=\"${version%-*}\"" "$metainfo"; then
      pass "metainfo lists the release of package version $version"
    else
      fail "metainfo lists no release ${version%-*} (package version $version)"
    fi
    depends="$(dpkg-deb -f "$deb" Depends)"
    echo "Depends: $depends"
    # Computed by dpkg-shlibdeps: versioned entries for the C library and the web engine the program links.
    if grep -qE '(^|, )libc6 \(>= [0-9.]+\)' <<<"$depends" && grep -qE '(^|, )libqt6webenginecore6 \(>= ' <<<"$depends" \
       && grep -qE '(^|, )libqt6widgets6 \(>= ' <<<"$depends"; then
      pass "Depends computed from the linked libraries"
    else
      fail "Depends is not the computed list: '$depends'"
    fi
    contents="$(dpkg-deb -c "$deb" | awk '{print $NF}')"
    for f in ./usr/bin/trailscribe ./usr/share/applications/$id.desktop ./usr/share/metainfo/$id.metainfo.xml \
             ./usr/share/mime/packages/$id.xml \
             ./usr/share/icons/hicolor/scalable/apps/$id.svg; do
      grep -qxF "$f" <<<"$contents" && pass "package holds $f" || fail "package lacks $f"
    done
    for n in "${sizes[@]}"; do
      f="./usr/share/icons/hicolor/${n}x${n}/apps/$id.png"
      grep -qxF "$f" <<<"$contents" || fail "package lacks $f"
    done
    stray="$(grep -vE '^\./(usr(/.*)?)?/?$' <<<"$contents" || true)"
    [ -z "$stray" ] && pass "package holds only /usr" || fail "package holds files outside /usr: $stray"
  fi
fi

if [ $failures -ne 0 ]; then
  echo "$failures check(s) failed"
  exit 1
fi
echo "all packaging checks passed in ${SECONDS}s"
