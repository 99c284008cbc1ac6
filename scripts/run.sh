#!/bin/sh
# Sets up everything (packages from Debian), builds Radaziz, writes the bundled sample payroll
# drive and starts Radaziz on it. The sample drive is the machine's drive F: for this run, and
# the current drive, so the dialog offers it at once.
# Without a display: xvfb-run -a -s "-screen 0 1280x1024x24" ./scripts/run.sh
# Without windows:   ./scripts/run.sh --export FILE.pdf   (statements as PDF, one per employee
#                    beside it in FILE-statements/)
set -eu
here=$(pwd)
cd "$(dirname "$0")/.."

./scripts/setup.sh

JOBS=${JOBS:-2}
cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release -DRADAZIZ_TESTS=OFF \
    -DRADAZIZ_BENCH=OFF
cmake --build build-release -j "$JOBS" --target radaziz radaziz-export radaziz-sample-drive

demo=$PWD/build-release/demo
rm -rf "$demo"
mkdir -p "$demo/prefix/dosdevices" "$demo/drive_c"
build-release/sample/radaziz-sample-drive "$demo/payroll"
ln -s ../../drive_c "$demo/prefix/dosdevices/c:"
ln -s ../../payroll "$demo/prefix/dosdevices/f:"

if [ "${1:-}" = "--export" ]; then
    out=${2:?--export needs a file name}
    case "$out" in /*) ;; *) out="$here/$out" ;; esac
    build-release/app/radaziz-export --drive "$demo/payroll" \
        --responsavel "RESPONSÁVEL PELA DEMONSTRAÇÃO" --out "$out" \
        --per-employee "${out%.pdf}-statements"
    echo "Statements written to $out and ${out%.pdf}-statements/"
    exit 0
fi

export WINEPREFIX="$demo/prefix"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
    echo "No display: run it as  xvfb-run -a -s \"-screen 0 1280x1024x24\" $0" >&2
    exit 1
fi
echo "Sample payroll drive F: is $demo/payroll"
cd "$demo/payroll"
exec "$demo/../app/radaziz"
