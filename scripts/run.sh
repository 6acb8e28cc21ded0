#!/usr/bin/env bash
# Builds Quarno CD Ripper (Release, into build/run) and starts it.
#
# With a CD drive (/dev/sr*) the program uses it. Without one it gets a demo
# disc instead: a disc image with a few audio tracks and a data track, played
# as a drive through QCR_DRIVES, and a CDDB server on 127.0.0.1 that knows
# that disc's album (QCR_CDDB_SERVER), so nothing reaches the network. The
# server stops when the program ends. QCR_DRIVES set beforehand is used as it is.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
build="$root/build/run"

bash scripts/install-deps.sh

cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DQCR_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" -j "$(nproc)" --target quarno-cd-ripper lame_enc qcr-demo-disc qcr-cddb-server

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "run.sh: built, but there is no display. Quarno CD Ripper is a desktop program: start this from a" >&2
  echo "desktop session, or on a machine without one: xvfb-run -a bash scripts/run.sh" >&2
  exit 1
fi

server_pid=""
stop_server() {
  if [ -n "$server_pid" ]; then
    kill "$server_pid" 2>/dev/null || true
    wait "$server_pid" 2>/dev/null || true
  fi
}
trap stop_server EXIT

if [ -z "${QCR_DRIVES:-}" ] && ! compgen -G "/dev/sr[0-9]*" >/dev/null; then
  demo="$build/demo"
  mkdir -p "$demo"
  if [ ! -f "$demo/image/demo.cue" ] || [ ! -d "$demo/records" ]; then
    rm -rf "$demo/image" "$demo/records"
    "$build/bin/qcr-demo-disc" "$demo/image" "$demo/records" >/dev/null
  fi
  rm -f "$demo/port"
  "$build/bin/qcr-cddb-server" "$demo/records" "$demo/port" >/dev/null &
  server_pid=$!
  for _ in $(seq 1 200); do
    [ -s "$demo/port" ] && break
    kill -0 "$server_pid" 2>/dev/null || { echo "run.sh: the CDDB server did not start" >&2; exit 1; }
    sleep 0.05
  done
  [ -s "$demo/port" ] || { echo "run.sh: the CDDB server did not report its port" >&2; exit 1; }
  export QCR_DRIVES="$demo/image/demo.cue"
  export QCR_CDDB_SERVER="127.0.0.1:$(cat "$demo/port")"
  echo "run.sh: no CD drive here; using the demo disc $QCR_DRIVES (CDDB server $QCR_CDDB_SERVER)"
fi

status=0
"$build/bin/quarno-cd-ripper" || status=$?
exit "$status"
