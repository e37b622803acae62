# The installed menu entries and the AppStream description pass the validators that
# distributions run, and say what a file manager and a software centre need.
source "$(dirname "$0")/common.sh"
need cmake desktop-file-validate appstreamcli
root=$work/root
install_into "$root"
apps=$root/usr/share/applications
metainfo=$root/usr/share/metainfo/org.vkdo.vistrel.metainfo.xml

for entry in "$apps/vistrel.desktop" "$apps/tonegrid.desktop"; do
  report=$(desktop-file-validate "$entry" 2>&1) || fail "$(basename "$entry"): $report"
  [ -z "$report" ] || fail "$(basename "$entry") has remarks: $report"
done
grep -qx 'MimeType=video/x-msvideo;video/avi;video/msvideo;' "$apps/vistrel.desktop" ||
  fail "vistrel.desktop does not claim the AVI types"
grep -qx 'Exec=vistrel %F' "$apps/vistrel.desktop" || fail "vistrel.desktop does not pass the chosen files"
grep -q '^Categories=.*Settings;' "$apps/tonegrid.desktop" || fail "tonegrid.desktop is not under Settings"

report=$(appstreamcli validate --no-net --pedantic "$metainfo" 2>&1) || fail "metainfo: $report"
grep -q "<release version=\"$version\"" "$metainfo" || fail "the metainfo has no release $version"
for id in $(grep -o '<launchable type="desktop-id">[^<]*' "$metainfo" | sed 's/.*>//'); do
  [ -f "$apps/$id" ] || fail "the metainfo launches $id, which is not installed"
done
finish
