#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test headless: once as built, once with
# AddressSanitizer and UndefinedBehaviorSanitizer, where any report fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."
# The install and package tests check with the test set's validators and lintian; the
# benchmarks need libxcb to be built; the kernel tier needs QEMU and a guest kernel.
bash scripts/deps.sh build run test package bench kernel
export QT_QPA_PLATFORM=offscreen
jobs=$(nproc)

# The benchmarks are built, never run, so that a change cannot break them unseen.
bash scripts/build.sh build-test Debug -DVQ_BUILD_BENCH=ON
ctest --test-dir build-test --output-on-failure --parallel "$jobs" --timeout 300

bash scripts/build.sh build-asan Debug -DVQ_SANITIZE=ON
ASAN_OPTIONS=detect_leaks=1:halt_on_error=1:detect_stack_use_after_return=1 \
UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
    ctest --test-dir build-asan --output-on-failure --parallel "$jobs" --timeout 600
