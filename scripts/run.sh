#!/usr/bin/env bash
# Sets everything up and runs OcuService in the foreground with ocucam-sim as its camera.
#   OCUSERVICE_HOME        the service's home (default: run-home/ in the checkout)
#   OCUSERVICE_DEVICE_DIR  where the simulated USB camera is published (default: $OCUSERVICE_HOME/devices)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup-deps.sh"
"$root/scripts/build.sh" build

export OCUSERVICE_HOME=${OCUSERVICE_HOME:-$root/run-home}
export OCUSERVICE_DEVICE_DIR=${OCUSERVICE_DEVICE_DIR:-$OCUSERVICE_HOME/devices}
mkdir -p "$OCUSERVICE_HOME/ssl" "$OCUSERVICE_HOME/resource" "$OCUSERVICE_DEVICE_DIR"

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

"$root/build/bin/ocucam-sim" --device-dir "$OCUSERVICE_DEVICE_DIR" \
  --gallery "$OCUSERVICE_HOME/gallery.dat" &
sim=$!
trap 'kill -TERM $sim 2>/dev/null; wait $sim 2>/dev/null' EXIT

cd "$OCUSERVICE_HOME"
"$root/build/bin/OcuService" -console 0
