#!/usr/bin/env bash
# Fuzzes the feature-listing parser and the Features window's tree handling
# (tests/fuzz/fuzz_feature_list.cpp) for a bounded time, 60 seconds unless
# given: scripts/fuzz-features.sh [seconds]
set -euo pipefail
exec "$(dirname "$0")/fuzz.sh" "${1:-60}" fuzz_feature_list
