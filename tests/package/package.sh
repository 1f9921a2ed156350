#!/usr/bin/env bash
# Builds the Debian package, unpacks it with dpkg -x into a scratch root and checks it the way a
# desktop uses it: the files, the menu entry, the AppStream data, which files are albums, the
# album icons, the manual pages and the completion.
# Usage: package.sh BUILD_DIR SOURCE_DIR VERSION
set -euo pipefail
build=$1
source=$2
version=$3
work=$(mktemp -d -t tst_package.XXXXXX)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1 ||
  { cat "$work/cpack.log"; fail "cpack"; }
deb=$(echo "$work"/out/quillon32_"$version"_*.deb)
[ -f "$deb" ] || fail "no quillon32_${version}_*.deb in $(ls "$work/out")"
# What dpkg-shlibdeps found the programs link.
depends=$(dpkg-deb -f "$deb" Depends)
for p in libqt6widgets6 libmagick++-6.q16-8 libsane1 libgstreamer1.0-0; do
  grep -q "\(^\|, \)$p\b" <<<"$depends" || fail "Depends lacks $p: $depends"
done

root=$work/root
dpkg -x "$deb" "$root"
usr=$root/usr
[ "$(ls "$root")" = usr ] || fail "files outside /usr: $(ls "$root")"
for f in bin/quillon32 bin/q32 share/applications/quillon32.desktop \
  share/mime/packages/quillon32.xml share/thumbnailers/quillon32.thumbnailer \
  share/metainfo/io.github.quillon32.Quillon32.metainfo.xml share/man/man1/quillon32.1.gz \
  share/man/man1/q32.1.gz share/bash-completion/completions/q32 \
  "share/quillon32/Database (default).atb" share/quillon32/help/index.html \
  share/icons/hicolor/scalable/apps/quillon32.svg; do
  [ -f "$usr/$f" ] || fail "$f is not in the package"
done
for s in 16 24 32 48 64 128 256; do
  size=$(identify -format %wx%h "$usr/share/icons/hicolor/${s}x$s/apps/quillon32.png") ||
    fail "no ${s}x$s icon"
  [ "$size" = "${s}x$s" ] || fail "the ${s}x$s icon is $size"
done
[ "$("$usr/bin/quillon32" --version)" = "Quillon 32 $version" ] || fail "quillon32 --version"
[ "$("$usr/bin/q32" --version)" = "q32 $version" ] || fail "q32 --version"

desktop=$usr/share/applications/quillon32.desktop
desktop-file-validate "$desktop" || fail "desktop-file-validate"
grep -q '^Exec=quillon32 %F$' "$desktop" || fail "Exec"
! grep -qi 'access' "$desktop" || fail "the desktop entry claims Access's types"
metainfo=$usr/share/metainfo/io.github.quillon32.Quillon32.metainfo.xml
appstreamcli validate --no-net "$metainfo" >"$work/appstream.log" ||
  { cat "$work/appstream.log"; fail "appstreamcli validate"; }
grep -q "<release version=\"$version\"" "$metainfo" || fail "metainfo release"
# The screenshots are the help's own.
shots=$(grep -o 'images/[a-z-]*\.png' "$metainfo")
[ -n "$shots" ] || fail "no screenshots"
for shot in $shots; do
  [ -f "$source/data/share/help/$shot" ] || fail "screenshot $shot is not in the help"
done

# Albums and an Access file, as the desktop sees them once the package's triggers have run.
q32=$usr/bin/q32
convert -size 640x480 gradient:red-yellow "$work/first.jpg"
convert -size 200x150 plasma:green-blue "$work/preview.jpg"
exiftool -q -overwrite_original "-ThumbnailImage<=$work/preview.jpg" "$work/first.jpg"
"$q32" add "$work/plain.mdb" "$work/first.jpg" 2>/dev/null
cp "$work/plain.mdb" "$work/protected.mdb"
printf 'secret\n' | "$q32" password "$work/protected.mdb" --set --password-stdin 2>/dev/null
{ printf '\x00\x01\x00\x00Standard Jet DB\x00'; head -c 4096 /dev/zero; } >"$work/access.mdb"

cp /usr/share/mime/packages/freedesktop.org.xml "$usr/share/mime/packages/"
update-mime-database "$usr/share/mime" 2>/dev/null
update-desktop-database "$usr/share/applications"
export XDG_DATA_DIRS=$usr/share XDG_DATA_HOME=$work/home XDG_CONFIG_HOME=$work/config
for session in "" GNOME; do # mimetype (File::MimeInfo) and gio
  for pair in plain.mdb:application/x-quillon32-album protected.mdb:application/x-quillon32-album \
    access.mdb:application/vnd.ms-access first.jpg:image/jpeg; do
    type=$(XDG_CURRENT_DESKTOP=$session xdg-mime query filetype "$work/${pair%%:*}")
    [ "$type" = "${pair#*:}" ] || fail "${session:-no desktop}: ${pair%%:*} is $type"
  done
done
for type in application/x-quillon32-album image/jpeg; do
  [ "$(XDG_CURRENT_DESKTOP= xdg-mime query default $type)" = quillon32.desktop ] ||
    fail "$type does not open with quillon32"
done

# The thumbnailer's own command line: the stored thumbnail at the asked size.
read -ra thumbnailer <<<"$(sed -n 's/^Exec=//p' "$usr/share/thumbnailers/quillon32.thumbnailer")"
thumbnail() {
  local args=("${thumbnailer[@]//%i/$1}")
  args=("${args[@]//%o/$2}")
  PATH=$usr/bin:$PATH timeout 20 "${args[@]//%s/$3}" </dev/null 2>/dev/null
}
thumbnail "$work/plain.mdb" "$work/icon.png" 128 || fail "the thumbnailer failed"
[ "$(identify -format %wx%h "$work/icon.png")" = 128x96 ] || fail "the icon is not 128x96"
sqlcipher "$work/plain.mdb" "SELECT writefile('$work/stored.jpg', Image) FROM Thumbnails WHERE ID = 1" >/dev/null
convert "$work/stored.jpg" -resize 128x128 "$work/expected.png"
differ=$(compare -metric AE -fuzz 10% "$work/icon.png" "$work/expected.png" null: 2>&1) || true
((differ < 123)) || fail "the icon differs from the stored thumbnail in $differ pixels"
! thumbnail "$work/protected.mdb" "$work/secret.png" 128 || fail "a protected album got an icon"
[ ! -e "$work/secret.png" ] || fail "the protected album's icon was written"

# The manual pages, through man.
export LC_ALL=C.UTF-8
for page in quillon32 q32; do
  MANPATH=$usr/share/man man -w $page | grep -q "^$root" || fail "man does not find $page"
  warnings=$(MANPATH=$usr/share/man man --warnings $page 2>&1 >/dev/null)
  [ -z "$warnings" ] || fail "man $page: $warnings"
done
MANPATH=$usr/share/man MANWIDTH=80 man q32 2>/dev/null | grep -q '^   q32 thumbnail \[options\] ALBUM OUT.png \[SIZE\]' ||
  fail "q32(1) lacks the thumbnail command"

# Completion of commands, options and albums.
mkdir -p "$work/files/sub"
touch "$work/files/a.mdb" "$work/files/b.jpg"
completions() {
  (cd "$work/files" && PATH=$usr/bin:$PATH bash --norc -c '
    source /usr/share/bash-completion/bash_completion
    source "$1"
    COMP_LINE=$2 COMP_POINT=${#2}
    read -ra COMP_WORDS <<<"$2"
    [[ $2 == *" " ]] && COMP_WORDS+=("")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    _q32 q32
    printf "%s\n" "${COMPREPLY[@]}" | sort | tr "\n" " "' _ "$usr/share/bash-completion/completions/q32" "$1")
}
[ "$(completions "q32 thu")" = "thumbnail " ] || fail "completing a command: $(completions "q32 thu")"
[ "$(completions "q32 add --skip")" = "--skip-duplicates " ] || fail "completing an option"
[ "$(completions "q32 list --sort 2 ")" = "a.mdb sub " ] || fail "completing an album: $(completions "q32 list --sort 2 ")"
[ "$(completions "q32 add a.mdb ")" = "a.mdb b.jpg sub " ] || fail "completing a picture"
echo PASS
