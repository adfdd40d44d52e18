#!/usr/bin/env bash
# Build times of a generated 200-module Fortran project: `corvane build -j` against CMake + Ninja
# on the same sources, in the same run. Three cases: full build (after a clean), no-op build, and
# the rebuild after one module in the middle of the dependency graph is touched. Each case runs
# REPEAT times (default 3); the medians and the ratios corvane / cmake+ninja are printed.
#
#   bench/build-compare.sh [CORVANE_EXECUTABLE]      (default: build/release/src/corvane)
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
corvane="${1:-$root/build/release/src/corvane}"
repeat="${REPEAT:-3}"
layers=10
width=20 # modules per layer: 10 x 20 = 200

for tool in make gfortran cmake ninja; do
    command -v "$tool" >/dev/null || { echo "build-compare: $tool is missing" >&2; exit 1; }
done
[ -x "$corvane" ] || { echo "build-compare: no corvane at $corvane" >&2; exit 1; }

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
src="$work/src"
mkdir -p "$src"

# Module m_L_I uses two modules of the layer below, so each layer can compile in parallel.
for ((l = 0; l < layers; l++)); do
    for ((i = 0; i < width; i++)); do
        f="$src/m_${l}_${i}.f90"
        {
            echo "module m_${l}_${i}"
            if ((l > 0)); then
                echo "  use m_$((l - 1))_${i}"
                echo "  use m_$((l - 1))_$(((i + 1) % width))"
            fi
            echo "  implicit none"
            echo "  real, parameter :: c_${l}_${i} = ${l}.${i}"
            echo "contains"
            echo "  pure function f_${l}_${i}(x) result(y)"
            echo "    real, intent(in) :: x(:)"
            echo "    real :: y(size(x))"
            echo "    integer :: k"
            echo "    do k = 1, size(x)"
            echo "      y(k) = sin(x(k)) * c_${l}_${i} + cos(real(k))"
            echo "    end do"
            echo "  end function"
            echo "end module m_${l}_${i}"
        } >"$f"
    done
done
{
    echo "program main"
    for ((i = 0; i < width; i++)); do echo "  use m_$((layers - 1))_${i}"; done
    echo "  implicit none"
    echo "  real :: x(4) = [1.0, 2.0, 3.0, 4.0]"
    for ((i = 0; i < width; i++)); do echo "  x = f_$((layers - 1))_${i}(x)"; done
    echo "  print *, x"
    echo "end program main"
} >"$src/main.f90"
touched="$src/m_$((layers / 2))_0.f90"

# Corvane: a project beside the sources.
"$corvane" new "$src/Bench.corvane" "$src" >/dev/null

# CMake + Ninja on the same sources, with the same flags (none) and the same parallelism.
cmake_dir="$work/cmake"
mkdir -p "$cmake_dir/src"
cat >"$cmake_dir/src/CMakeLists.txt" <<EOF
cmake_minimum_required(VERSION 3.20)
project(Bench Fortran)
file(GLOB sources "$src/*.f90")
add_executable(bench \${sources})
EOF
cmake -S "$cmake_dir/src" -B "$cmake_dir/build" -G Ninja -DCMAKE_BUILD_TYPE= >/dev/null
jobs="$(nproc)"

now() { date +%s.%N; }
# Runs a command quietly and prints its wall time in seconds; fails loudly when it fails.
timed() {
    local t0 t1
    t0="$(now)"
    if ! "$@" >"$work/last.log" 2>&1; then
        echo "build-compare: failed: $*" >&2
        tail -20 "$work/last.log" >&2
        exit 1
    fi
    t1="$(now)"
    echo "$t1 - $t0" | bc -l
}
median() { printf '%s\n' "$@" | sort -g | awk '{a[NR]=$1} END {print (NR%2 ? a[(NR+1)/2] : (a[NR/2]+a[NR/2+1])/2)}'; }

corvane_build() { "$corvane" build "$src/Bench.corvane" -j; }
cmake_build() { ninja -C "$cmake_dir/build" -j "$jobs"; }

declare -A times
for ((r = 0; r < repeat; r++)); do
    "$corvane" clean "$src/Bench.corvane" >/dev/null
    times[corvane_full]+=" $(timed corvane_build)"
    times[corvane_noop]+=" $(timed corvane_build)"
    touch "$touched"
    times[corvane_touch]+=" $(timed corvane_build)"

    ninja -C "$cmake_dir/build" -t clean >/dev/null
    times[cmake_full]+=" $(timed cmake_build)"
    times[cmake_noop]+=" $(timed cmake_build)"
    touch "$touched"
    times[cmake_touch]+=" $(timed cmake_build)"
done

printf '%-8s %12s %12s %8s\n' case corvane cmake+ninja ratio
for c in full noop touch; do
    # shellcheck disable=SC2086
    a="$(median ${times[corvane_$c]})"
    # shellcheck disable=SC2086
    b="$(median ${times[cmake_$c]})"
    printf '%-8s %11.3fs %11.3fs %7.2fx\n' "$c" "$a" "$b" "$(echo "$a / $b" | bc -l)"
done
echo "($((layers * width)) modules, median of $repeat runs, $jobs jobs for ninja, make -j unbounded)"
