#!/usr/bin/env bash
# Builds the libFuzzer targets of the dictionary core and the drill's rules with clang and runs each
# for a bounded time.
# Usage: tools/fuzz.sh [SECONDS_PER_TARGET]   (default 60; FUZZ_TARGETS="fuzz_reader ..." to pick)
# Not part of `make test`. Crashes land in build-fuzz/artifacts/.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-${FUZZ_SECONDS:-60}}
build=build-fuzz
targets=(${FUZZ_TARGETS:-fuzz_reader fuzz_split fuzz_cp932 fuzz_numeric fuzz_import fuzz_check fuzz_package fuzz_kvtml})

# clang's sanitizer and fuzzer runtimes; only this script needs them, so the normal dependencies don't list them.
need=()
command -v clang++ >/dev/null || need+=(clang)
dpkg-query -W -f='${Status}' libclang-rt-14-dev 2>/dev/null | grep -q 'install ok installed' || need+=(libclang-rt-14-dev)
if [ ${#need[@]} -gt 0 ]; then
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    echo "fuzz.sh: installing ${need[*]}"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${need[@]}"
fi

CC=clang CXX=clang++ cmake -S fuzz -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j "$(nproc)" --target "${targets[@]}"

# The reader writes and fsyncs a scratch dictionary per input: keep that in memory when possible.
if [ -d /dev/shm ] && [ -w /dev/shm ]; then export TMPDIR=/dev/shm; fi

mkdir -p "$build/artifacts"
status=0
for target in "${targets[@]}"; do
    corpus="$build/corpus/$target"
    mkdir -p "$corpus"
    seeds=()
    [ -d "fuzz/seeds/$target" ] && seeds+=("fuzz/seeds/$target")
    case $target in
        fuzz_reader|fuzz_cp932) seeds+=(examples) ;;
        fuzz_import|fuzz_check) seeds+=(examples) ;;
    esac
    echo "== $target: ${seconds} s"
    if ! "$build/$target" -max_total_time="$seconds" -max_len=65536 -timeout=10 -print_final_stats=1 \
            -artifact_prefix="$build/artifacts/$target-" "$corpus" "${seeds[@]}" 2>"$build/$target.log"; then
        status=1
        echo "$target FAILED: see $build/$target.log and $build/artifacts/"
    fi
    grep -E '^(#[0-9]+ *DONE|stat::number_of_executed_units|stat::peak_rss_mb)|cov:' "$build/$target.log" | tail -3
done
exit $status
