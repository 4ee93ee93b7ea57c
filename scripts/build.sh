#!/usr/bin/env bash
# Configures and builds into build/, assembling the program folder build/Tarnello/.
# Usage: scripts/build.sh [-DNAME=VALUE ...]
# CMake runs when build/ is not configured yet, or when a -D option given here is
# not what build/ was configured with (e.g. the tests asked for in a build that
# was first configured without them); otherwise only the build runs.
set -euo pipefail
cd "$(dirname "$0")/.."
configure=0
[ -f build/build.ninja ] || configure=1
for arg in "$@"; do
  case "$arg" in
    -D*=*)
      setting=${arg#-D}
      name=${setting%%=*}
      name=${name%%:*}
      value=${setting#*=}
      grep -qxF -e "$name:BOOL=$value" -e "$name:STRING=$value" -e "$name:PATH=$value" \
        -e "$name:FILEPATH=$value" -e "$name:UNINITIALIZED=$value" build/CMakeCache.txt 2>/dev/null || configure=1
      ;;
  esac
done
if [ $configure -eq 1 ]; then
  cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
fi
cmake --build build
