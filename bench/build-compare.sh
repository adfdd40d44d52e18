#!/usr/bin/env bash
# Build times of `corvane build -j2` against CMake + Ninja (-j2) on the same sources, in one run:
# a generated 200-module program, and json-fortran (a static library of its 6 modules, built by
# CMake from its own CMakeLists.txt in Release, by Corvane with the same compiler flags). Cases:
#   full    build after a clean
#   noop    a second build with nothing to do
#   impl    an edit inside a procedure of the lowest module (its interface unchanged)
#   iface   an edit of the lowest module's interface
#   touch   a module in the middle touched, content unchanged (200-module project only)
# Each case runs REPEAT times (default 5); the no-op build runs NOOP_RUNS times more (default 10)
# at the end, corvane and ninja one after the other, so that each pair sees the same load. The
# medians, the ratio corvane / cmake+ninja and the number of files each compiled (median) are
# printed, with the load average before and after. Times are wall times read from the shell's
# own clock ($EPOCHREALTIME), so that no clock program's start is counted.
#
#   bench/build-compare.sh [CORVANE_EXECUTABLE]      (default: build/release/src/corvane)
#   JSON_FORTRAN=DIR (default ../shared/corpora/json-fortran beside the checkout; skipped when
#   missing), REPEAT=N, NOOP_RUNS=N, ONLY=generated|json-fortran
set -euo pipefail
export LC_NUMERIC=C # a point in $EPOCHREALTIME, which bc reads

root="$(cd "$(dirname "$0")/.." && pwd)"
corvane="${1:-$root/build/release/src/corvane}"
repeat="${REPEAT:-5}"
noop_runs="${NOOP_RUNS:-10}"
jobs=2
json_fortran="${JSON_FORTRAN:-$root/../shared/corpora/json-fortran}"
layers=10
width=20 # modules per layer: 10 x 20 = 200

for tool in make gfortran cmake ninja python3 bc; do
    command -v "$tool" >/dev/null || { echo "build-compare: $tool is missing" >&2; exit 1; }
done
[ -x "$corvane" ] || { echo "build-compare: no corvane at $corvane" >&2; exit 1; }

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

median() { printf '%s\n' "$@" | sort -g | awk '{a[NR]=$1} END {print (NR%2 ? a[(NR+1)/2] : (a[NR/2]+a[NR/2+1])/2)}'; }
# Runs a command quietly, keeps its output in $work/last.log and prints its wall time in seconds.
timed() {
    local t0 t1 status=0
    t0=$EPOCHREALTIME
    "$@" >"$work/last.log" 2>&1 || status=$?
    t1=$EPOCHREALTIME
    if [ $status -ne 0 ]; then
        echo "build-compare: failed: $*" >&2
        tail -20 "$work/last.log" >&2
        exit 1
    fi
    echo "$t1 - $t0" | bc -l
}
# Files compiled by the last timed build: make echoes each compile, ninja names each object.
corvane_compiles() { grep -c -- ' -c ' "$work/last.log" || true; }
ninja_compiles() { grep -c 'Building Fortran object' "$work/last.log" || true; }

# Sets string (or, for "true"/"false", boolean) values in a project file's root dictionary.
set_project() {
    python3 - "$@" <<'EOF'
import plistlib, sys
path, pairs = sys.argv[1], sys.argv[2:]
with open(path, 'rb') as f:
    archive = plistlib.load(f)
objects = archive['$objects']
root = objects[archive['$top']['root'].data]
keys = [objects[k.data] for k in root['NS.keys']]
for key, value in zip(pairs[::2], pairs[1::2]):
    value = {'true': True, 'false': False}.get(value, value)
    objects.append(value)
    uid = plistlib.UID(len(objects) - 1)
    if key in keys:
        root['NS.objects'][keys.index(key)] = uid
    else:
        objects.append(key)
        root['NS.keys'].append(plistlib.UID(len(objects) - 1))
        root['NS.objects'].append(uid)
        keys.append(key)
with open(path, 'wb') as f:
    plistlib.dump(archive, f, fmt=plistlib.FMT_BINARY)
EOF
}

declare -A times counts
# measure NAME CASE corvane|ninja COMMAND...: one timed build, recorded under NAME/CASE.
measure() {
    local name=$1 case=$2 tool=$3
    shift 3
    times[$name/$case/$tool]+=" $(timed "$@")"
    if [ "$tool" = corvane ]; then
        counts[$name/$case/$tool]+=" $(corvane_compiles)"
    else
        counts[$name/$case/$tool]+=" $(ninja_compiles)"
    fi
}
report() {
    local name=$1
    shift
    echo "== $name"
    printf '%-6s %11s %12s %7s %16s\n' case corvane cmake+ninja ratio 'files compiled'
    for c in "$@"; do
        # shellcheck disable=SC2086
        local a b ca cb
        a="$(median ${times[$name/$c/corvane]})"
        b="$(median ${times[$name/$c/ninja]})"
        ca="$(median ${counts[$name/$c/corvane]})"
        cb="$(median ${counts[$name/$c/ninja]})"
        printf '%-6s %10.3fs %11.3fs %6.2fx %8s / %-6s\n' "$c" "$a" "$b" "$(echo "$a / $b" | bc -l)" \
            "$ca" "$cb"
    done
}

echo "load average before: $(cut -d' ' -f1-3 /proc/loadavg)"

# --- the generated 200-module program --------------------------------------------------------
generated() {
    local src="$work/gen/src"
    mkdir -p "$src"
    # Module m_L_I uses two modules of the layer below, so each layer can compile in parallel;
    # m_0_0 is the lowest: every module of the top layer depends on it.
    for ((l = 0; l < layers; l++)); do
        for ((i = 0; i < width; i++)); do
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
            } >"$src/m_${l}_${i}.f90"
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
    local lowest="$src/m_0_0.f90" middle="$src/m_$((layers / 2))_0.f90"
    "$corvane" new "$src/Bench.corvane" "$src" >/dev/null
    mkdir -p "$work/gen/cmake"
    cat >"$work/gen/cmake/CMakeLists.txt" <<EOF
cmake_minimum_required(VERSION 3.20)
project(Bench Fortran)
file(GLOB sources "$src/*.f90")
add_executable(bench \${sources})
EOF
    cmake -S "$work/gen/cmake" -B "$work/gen/build" -G Ninja -DCMAKE_BUILD_TYPE= >/dev/null
    local cv=("$corvane" build "$src/Bench.corvane" -j$jobs) nj=(ninja -C "$work/gen/build" -j $jobs)
    for ((r = 0; r < repeat; r++)); do
        for tool in corvane ninja; do
            if [ $tool = corvane ]; then
                "$corvane" clean "$src/Bench.corvane" >/dev/null
                cmd=("${cv[@]}")
            else
                ninja -C "$work/gen/build" -t clean >/dev/null
                cmd=("${nj[@]}")
            fi
            measure generated full $tool "${cmd[@]}"
            measure generated noop $tool "${cmd[@]}"
            local variant=$((2 * r + ${#tool}))
            # A new body for the lowest module's function, its interface unchanged.
            sed -i "s/cos(real(k)).*$/cos(real(k)) + $variant.0/" "$lowest"
            measure generated impl $tool "${cmd[@]}"
            # A new public constant: the interface changes.
            sed -i "/^  real, parameter :: extra/d; /^  implicit none/a\\  real, parameter :: extra = $variant.5" "$lowest"
            measure generated iface $tool "${cmd[@]}"
            touch "$middle"
            measure generated touch $tool "${cmd[@]}"
        done
    done
    for ((r = 0; r < noop_runs; r++)); do
        measure generated noop corvane "${cv[@]}"
        measure generated noop ninja "${nj[@]}"
    done
    report generated full noop impl iface touch
    echo "($((layers * width)) modules and a program, median of $repeat runs ($((repeat + noop_runs)) for noop), -j$jobs for both)"
}

# --- json-fortran ------------------------------------------------------------------------------
json() {
    local copy="$work/json/json-fortran"
    mkdir -p "$work/json"
    cp -r "$json_fortran" "$copy"
    rm -rf "$copy/build"
    cmake -S "$copy" -B "$work/json/build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DSKIP_DOC_GEN=ON \
        -DJSONFORTRAN_ENABLE_TESTS=OFF >/dev/null
    # Corvane builds the same sources with the flags CMake compiles them with.
    local flags
    ninja -C "$work/json/build" -t commands jsonfortran-static >"$work/json/commands"
    flags="$(grep -m1 -- '-fpreprocessed -c' "$work/json/commands" |
        tr ' ' '\n' | grep -E '^-(O|f|g|W|std)' | grep -v -- '-fpreprocessed' | tr '\n' ' ')"
    flags="$(grep -m1 -- ' -E ' "$work/json/commands" |
        tr ' ' '\n' | grep -E '^-D' | tr '\n' ' ')$flags"
    "$corvane" new "$copy/src/Json.corvane" "$copy/src" >/dev/null
    set_project "$copy/src/Json.corvane" releaseCompilerFlags "${flags% }" compileForLibrary true
    echo "json-fortran: corvane builds with: ${flags% }"
    # json_kinds is the lowest module; json_string_utilities the lowest with procedures.
    local kinds="$copy/src/json_kinds.F90" utilities="$copy/src/json_string_utilities.F90"
    local cv=("$corvane" build "$copy/src/Json.corvane" -j$jobs)
    local nj=(ninja -C "$work/json/build" -j $jobs jsonfortran-static)
    for ((r = 0; r < repeat; r++)); do
        for tool in corvane ninja; do
            if [ $tool = corvane ]; then
                "$corvane" clean "$copy/src/Json.corvane" >/dev/null
                cmd=("${cv[@]}")
            else
                ninja -C "$work/json/build" -t clean >/dev/null
                cmd=("${nj[@]}")
            fi
            measure json-fortran full $tool "${cmd[@]}"
            measure json-fortran noop $tool "${cmd[@]}"
            local variant=$((2 * r + ${#tool}))
            # A statement inside a procedure body, the interface unchanged.
            sed -i "s/^\(    write(str,fmt=int_fmt,iostat=istat) ival\).*$/\1; istat = istat * $variant/" \
                "$utilities"
            measure json-fortran impl $tool "${cmd[@]}"
            # A new public constant in the lowest module: the interface changes.
            sed -i "/bench_extra/d; 0,/^    private *$/s//    private\n    integer,parameter,public :: bench_extra = $variant/" \
                "$kinds"
            measure json-fortran iface $tool "${cmd[@]}"
        done
    done
    for ((r = 0; r < noop_runs; r++)); do
        measure json-fortran noop corvane "${cv[@]}"
        measure json-fortran noop ninja "${nj[@]}"
    done
    report json-fortran full noop impl iface
    echo "(6 modules, static library, median of $repeat runs ($((repeat + noop_runs)) for noop), -j$jobs for both)"
}

case "${ONLY:-}" in
generated) generated ;;
json-fortran) json ;;
*)
    generated
    if [ -d "$json_fortran" ]; then json; else echo "json-fortran: not found at $json_fortran"; fi
    ;;
esac
echo "load average after: $(cut -d' ' -f1-3 /proc/loadavg)"
