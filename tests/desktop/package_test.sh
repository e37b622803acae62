# `make package` builds one Debian package whose dependencies are those of the libraries the
# programs link and resolve on Debian 12; as root, the package also installs into a throw-away
# copy of the system, runs there, and is removed without leaving a file behind.
source "$(dirname "$0")/common.sh"
need cpack dpkg-deb dpkg-shlibdeps apt-get
cpack --config "$build/CPackConfig.cmake" -B "$work/package" >"$work/cpack.log" 2>&1 ||
  { cat "$work/cpack.log"; fail "cpack failed"; finish; }
deb=$work/package/vistrel_${version}_$(dpkg --print-architecture).deb
[ -f "$deb" ] || { fail "no package $(basename "$deb")"; finish; }

depends=$(dpkg-deb -f "$deb" Depends)
for library in libqt6widgets6 libqt6gui6 libavcodec libswscale libasound2 libyuv qt6-wayland; do
  grep -q "$library" <<<"$depends" || fail "the package does not depend on $library: $depends"
done
contents=$(dpkg-deb -c "$deb")
for path in usr/bin/vistrel usr/bin/tonegrid usr/share/applications/vistrel.desktop \
  usr/share/applications/tonegrid.desktop usr/share/metainfo/org.vkdo.vistrel.metainfo.xml \
  usr/share/man/man1/vistrel.1.gz usr/share/icons/hicolor/scalable/apps/vistrel.svg; do
  grep -q " \./$path\$" <<<"$contents" || fail "the package lacks /$path"
done
report=$(apt-get install --simulate "$deb" 2>&1) || fail "the dependencies do not resolve: $report"

if [ "$(id -u)" -ne 0 ] || ! command -v unshare >/dev/null; then
  echo "note: not root, so the package is not installed into a throw-away root"
  finish
fi
# The throw-away root: the running system under an overlay in a private mount namespace, so
# that nothing written there reaches the real one.
cp "$deb" "$work/vistrel.deb"
unshare --mount --propagation private bash -euo pipefail -c '
  work=$1
  mkdir -p "$work/layers"
  mount -t tmpfs tmpfs "$work/layers"
  mkdir "$work/layers/upper" "$work/layers/work" "$work/layers/root"
  mount -t overlay overlay -o "lowerdir=/,upperdir=$work/layers/upper,workdir=$work/layers/work" "$work/layers/root"
  root=$work/layers/root
  mount --rbind /dev "$root/dev"
  mount -t proc proc "$root/proc"
  mkdir -p "$root/tmp"
  cp "$work/vistrel.deb" "$root/tmp/vistrel.deb"
  export DEBIAN_FRONTEND=noninteractive
  chroot "$root" sh -c "cd /tmp && apt-get install -y -q ./vistrel.deb" >"$work/install.log" 2>&1 ||
    { cat "$work/install.log"; echo "FAIL: apt install"; exit 1; }
  chroot "$root" vistrel --version
  chroot "$root" tonegrid --version
  files=$(chroot "$root" dpkg -L vistrel)
  chroot "$root" apt-get purge -y -q vistrel >"$work/remove.log" 2>&1 ||
    { cat "$work/remove.log"; echo "FAIL: apt purge"; exit 1; }
  left=0
  for f in $files; do
    if [ -f "$root$f" ]; then echo "FAIL: $f is left after removal"; left=1; fi
  done
  if chroot "$root" dpkg -s vistrel >/dev/null 2>&1; then echo "FAIL: still registered"; left=1; fi
  exit $left
' throwaway "$work" || fail "installing and removing in a throw-away root"
finish
