#!/bin/sh
# The checks CI runs after the test suite, one after the other; each says how
# long it took, and the run fails at the end if any of them failed.
#
#   scripts/ci_checks.sh [STEP...]    STEP: layers map format tidy sanitize fuzz (default: all)
#
#   layers    scripts/check_layers.sh build: each game library calls only the
#             layers it lists (builds build when it is not)
#   map       scripts/map_figures.sh --check: the figures docs/architecture.md
#             states about the code are the code's
#   format    scripts/check_format.sh: the layout of src, tools and tests
#   tidy      scripts/check_tidy.sh build: clang-tidy on src against
#             .ci/tidy-baseline.txt (configures build when it is not)
#   sanitize  the unit tests built with AddressSanitizer and UBSan in
#             build-asan and run there (ctest -L unit)
#   fuzz      the libFuzzer targets of tests/fuzz built with clang in
#             build-fuzz, each run for FUZZ_SECONDS (60) from its seeds
set -u
cd "$(dirname "$0")/.."
top=$(pwd)
steps=${*:-layers map format tidy sanitize fuzz}
fuzz_seconds=${FUZZ_SECONDS:-60}
failed=""

run_layers() {
  { [ -f build/layers.txt ] || cmake -S . -B build >/dev/null; } &&
    cmake --build build -j2 >/dev/null && scripts/check_layers.sh build
}

run_map() {
  [ -f build/layers.txt ] || cmake -S . -B build >/dev/null || return 1
  scripts/map_figures.sh --check
}

run_format() {
  scripts/check_format.sh
}

run_tidy() {
  [ -f build/compile_commands.json ] || cmake -S . -B build >/dev/null || return 1
  scripts/check_tidy.sh build
}

run_sanitize() (
  # Leaks are checked, except for the few that the system's own libraries
  # keep for the life of the process (listed, with the reason, in the file);
  # the build itself runs the instrumented data tool to write the demo.
  export ASAN_OPTIONS="detect_leaks=1:strict_string_checks=1:check_initialization_order=1"
  export LSAN_OPTIONS="suppressions=$top/.ci/lsan.supp:print_suppressions=0"
  export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
  # Light optimisation and line tables only: the tree builds in half the
  # time and a report still names file and line.
  cmake -S . -B build-asan -DVELMORA_SANITIZE=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g1" >/dev/null &&
    cmake --build build-asan -j2 --target velmora_tests demo_data install_data &&
    ctest --test-dir build-asan -L unit --output-on-failure -j2 --timeout 240
)

# One target from its seeds; new inputs it finds go to build-fuzz/corpus, a
# crashing one to build-fuzz/crash-*, which libFuzzer names on failing.
fuzz_one() {
  mkdir -p "build-fuzz/corpus/$1"
  "build-fuzz/fuzz_$1" -max_total_time="$fuzz_seconds" -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="build-fuzz/$1-" \
    "build-fuzz/corpus/$1" "tests/fuzz/corpus/$1" >"build-fuzz/$1.log" 2>&1
}

run_fuzz() {
  cmake -S . -B build-fuzz -DVELMORA_FUZZ=ON -DCMAKE_CXX_COMPILER=clang++ \
    -DCMAKE_C_COMPILER=clang >/dev/null &&
    cmake --build build-fuzz -j2 --target velmora_fuzzers || return 1
  # Two at a time, one for each core.
  status=0
  for pair in "csv_rows save_record" "system_file midi"; do
    set -- $pair
    fuzz_one "$1" & first=$!
    fuzz_one "$2" & second=$!
    for t in "$1:$first" "$2:$second"; do
      if wait "${t#*:}"; then
        echo "fuzz_${t%:*}: $(grep -E '^stat::number_of_executed_units' "build-fuzz/${t%:*}.log" | tr -s ' ')"
      else
        status=1
        echo "fuzz_${t%:*} failed:"
        tail -60 "build-fuzz/${t%:*}.log"
      fi
    done
  done
  return $status
}

for s in $steps; do
  case $s in
    layers | map | format | tidy | sanitize | fuzz) ;;
    *) echo "ci_checks: no step $s (layers map format tidy sanitize fuzz)" >&2; exit 2 ;;
  esac
  echo "=== $s"
  start=$(date +%s)
  if "run_$s"; then result=passed; else result=FAILED; failed="$failed $s"; fi
  echo "=== $s $result in $(($(date +%s) - start)) s"
done
if [ -n "$failed" ]; then
  echo "ci_checks: failed:$failed"
  exit 1
fi
echo "ci_checks: all passed ($steps)"
