#!/bin/sh
# Times a clean build on two jobs, without ccache, in a scratch tree of its
# own: first what the README's first command builds (configure, then the
# game, the data tool and the demo data), then the rest of the tree (tests
# and benchmarks), so the whole tree's time is the two together.
#
#   scripts/measure_build.sh [DIR]     (default: build-measure, removed after)
#
# Prints, for each, the wall time and the processor time (user + system). On
# a machine others are building on too, the wall time grows with their load;
# half the processor time is what two idle cores would take.
set -eu
cd "$(dirname "$0")/.."
dir=${1:-build-measure}
export CCACHE_DISABLE=1
rm -rf "$dir"
times=$(mktemp)
trap 'rm -f "$times"' EXIT

# wall user sys of a command, appended to $times
timed() {
  /usr/bin/time -a -o "$times" -f "%e %U %S" "$@" >/dev/null
}
timed sh -c "cmake -S . -B '$dir' -DCMAKE_CXX_COMPILER_LAUNCHER= -DCMAKE_C_COMPILER_LAUNCHER= &&
  cmake --build '$dir' -j2 --target velmora velmora-data demo_data"
timed cmake --build "$dir" -j2
rm -rf "$dir"

awk '
  { wall[NR] = $1; cpu[NR] = $2 + $3 }
  END {
    printf "first_build_s %.0f\n", wall[1]
    printf "first_build_cpu_s %.0f (two idle cores: %.0f s)\n", cpu[1], cpu[1] / 2
    printf "whole_build_s %.0f\n", wall[1] + wall[2]
    printf "whole_build_cpu_s %.0f (two idle cores: %.0f s)\n", cpu[1] + cpu[2], (cpu[1] + cpu[2]) / 2
  }' "$times"
