# Shared by the desktop tests, which take the build folder and the project's version.
set -euo pipefail
build=$1
version=$2
source_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

# A missing tool skips the test on a developer's machine; on CI, where scripts/install-deps.sh
# has installed every tool, it fails it.
need() {
  for tool in "$@"; do
    if ! command -v "$tool" >/dev/null; then
      echo "SKIP: $tool is not installed (scripts/install-deps.sh installs it)"
      if [ -n "${CI:-}" ]; then exit 1; fi
      exit 77
    fi
  done
}

fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

# `make install` into a temporary DESTDIR with the prefix a distribution uses.
install_into() {
  DESTDIR=$1 cmake --install "$build" --prefix /usr >/dev/null
}

finish() {
  if [ "$failures" -ne 0 ]; then
    echo "$failures failure(s)"
    exit 1
  fi
  echo "all checks passed"
}
