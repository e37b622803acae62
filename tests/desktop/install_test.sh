# An install into a temporary DESTDIR puts every file in its place, and the programs run from
# there; --help and --version count only as the sole argument.
source "$(dirname "$0")/common.sh"
need cmake file
root=$work/root
install_into "$root"
share=$root/usr/share

for program in vistrel tonegrid; do
  [ -x "$root/usr/bin/$program" ] || fail "bin/$program is missing"
  [ -f "$share/applications/$program.desktop" ] || fail "the menu entry of $program is missing"
  [ -f "$share/man/man1/$program.1.gz" ] || fail "the manual page of $program is missing"
  [ -f "$share/icons/hicolor/scalable/apps/$program.svg" ] || fail "the scalable icon of $program is missing"
  for size in 16 22 24 32 48 64 128 256; do
    png=$share/icons/hicolor/${size}x${size}/apps/$program.png
    if [ ! -f "$png" ]; then
      fail "the ${size}px icon of $program is missing"
    elif ! file "$png" | grep -q "PNG image data, $size x $size"; then
      fail "$png is not a $size x $size PNG: $(file -b "$png")"
    fi
  done
done
[ -f "$share/metainfo/org.vkdo.vistrel.metainfo.xml" ] || fail "the AppStream metainfo is missing"

# Without any display, so that a program that took an argument for a file name fails to start
# instead of opening a window.
# A program that did open one is ended after 10 s rather than hanging the test.
headless=(timeout 10 env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM -u XDG_SESSION_TYPE)
for program in vistrel tonegrid; do
  bin=$root/usr/bin/$program
  out=$("${headless[@]}" "$bin" --version) || fail "$program --version failed"
  [ "$out" = "$program $version" ] || fail "$program --version printed '$out'"
  out=$("${headless[@]}" "$bin" --help) || fail "$program --help failed"
  grep -q "^Usage: $program" <<<"$out" || fail "$program --help printed no usage"
  grep -q "$program(1)" <<<"$out" || fail "$program --help does not point to the manual page"
  for args in "--help extra" "--version --help" "extra --version"; do
    # shellcheck disable=SC2086
    if out=$("${headless[@]}" "$bin" $args 2>/dev/null); then
      fail "$program $args ended as if it were answered"
    fi
    if grep -q -e "^Usage:" -e "^$program [0-9]" <<<"$out"; then
      fail "$program $args took an option among other arguments"
    fi
  done
done
finish
