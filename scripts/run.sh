#!/usr/bin/env bash
# Installs what Nivora needs, builds it and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
cmake --preset release >/dev/null
cmake --build --preset release --target nivora
exec build/release/bin/nivora
