#!/usr/bin/env bash
# Sets everything up and runs OcuService in the foreground with ocucam-sim as its camera.
#   OCUSERVICE_HOME        the service's home (default: run-home/ in the checkout)
#   OCUCAM_SIM_STATE       the simulated camera's own storage, its gallery (default: run-camera/)
#   OCUSERVICE_DEVICE_DIR  where the simulated USB camera is published (default: $OCUCAM_SIM_STATE/devices)
# The camera's storage stays outside the home: the service serves the home's files to anyone.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup-deps.sh"
# Only the two programs it runs; a new tree is configured without the tests, which
# scripts/test.sh adds when it runs.
if [ ! -f "$root/build/CMakeCache.txt" ]; then
  export OCU_BUILD_TESTS=OFF
fi
OCU_TARGETS="OcuService ocucam-sim" "$root/scripts/build.sh" build

export OCUSERVICE_HOME=${OCUSERVICE_HOME:-$root/run-home}
sim_state=${OCUCAM_SIM_STATE:-$root/run-camera}
export OCUSERVICE_DEVICE_DIR=${OCUSERVICE_DEVICE_DIR:-$sim_state/devices}
mkdir -p "$OCUSERVICE_HOME/ssl" "$OCUSERVICE_HOME/resource" "$sim_state" "$OCUSERVICE_DEVICE_DIR"

pem="$OCUSERVICE_HOME/ssl/localhost.pem"
if [ ! -f "$pem" ]; then
  tmp=$(mktemp -d)
  openssl req -x509 -newkey rsa:2048 -nodes -days 3650 -subj /CN=localhost \
    -keyout "$tmp/key.pem" -out "$tmp/cert.pem" 2>/dev/null
  cat "$tmp/key.pem" "$tmp/cert.pem" >"$pem"
  chmod 600 "$pem"
  rm -rf "$tmp"
  echo "Made the TLS certificate $pem"
fi

# The console (www/) is served from the home, the service's document root: each of its entries
# is linked there, so that http://localhost:8081/ shows it and edits in www/ show at once. A file
# or folder of the same name that is no such link is left alone.
for entry in "$root"/www/*; do
  link="$OCUSERVICE_HOME/$(basename "$entry")"
  if [ -e "$link" ] && [ ! -L "$link" ]; then
    echo "Left $link in place: it is not a link to the console's $(basename "$entry")"
  else
    ln -sfn "$entry" "$link"
  fi
done

"$root/build/bin/ocucam-sim" --device-dir "$OCUSERVICE_DEVICE_DIR" \
  --gallery "$sim_state/gallery.dat" &
sim=$!
trap 'kill -TERM $sim 2>/dev/null; wait $sim 2>/dev/null' EXIT

cd "$OCUSERVICE_HOME"
"$root/build/bin/OcuService" -console 0
