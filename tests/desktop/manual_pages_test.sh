# Both manual pages render without a warning, and the player's names every setting it stores
# and every variable it reads; tonegrid's names every value it stores.
source "$(dirname "$0")/common.sh"
need cmake man
root=$work/root
install_into "$root"

render() {
  LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings=all -l "$root/usr/share/man/man1/$1.1.gz" 2>"$work/$1.err" >"$work/$1.txt" ||
    fail "man could not render $1(1)"
  [ ! -s "$work/$1.err" ] || fail "$1(1) renders with warnings: $(cat "$work/$1.err")"
}
render vistrel
render tonegrid

settings=$(grep -o '{"[A-Za-z0-9]*", &Settings::' "$source_dir/src/app/settings_store.cpp" | cut -d'"' -f2 | sort -u)
[ -n "$settings" ] || fail "no setting names found in the settings store"
for name in $settings VISTREL_AUDIO VISTREL_AUDIO_CAPTURE VISTREL_STATS VISTREL_DISPLAY; do
  grep -qw "$name" "$work/vistrel.txt" || fail "vistrel(1) does not describe $name"
done
for name in MonRG MonGG MonBG MonRC MonGC MonBC MonRB MonGB MonBB RGBType2; do
  grep -qw "$name" "$work/tonegrid.txt" || fail "tonegrid(1) does not describe $name"
done
for page in vistrel tonegrid; do
  for section in NAME SYNOPSIS DESCRIPTION KEYS SETTINGS ENVIRONMENT FILES; do
    grep -qx "$section" "$work/$page.txt" || fail "$page(1) has no $section section"
  done
done
finish
