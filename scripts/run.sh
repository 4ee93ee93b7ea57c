#!/usr/bin/env bash
# Installs what is missing, builds, and starts the player with the given arguments.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh build
scripts/build.sh
exec build/Tarnello/tarnello "$@"
