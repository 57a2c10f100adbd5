#!/usr/bin/env bash
# The image generator draws the same bytes on every run: a fresh run matches the build's images.
# usage: check-generator.sh PYTHON GENERATOR BUILD_IMAGE_FOLDER
set -euo pipefail
python=$1 generator=$2 built=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$python" "$generator" --out "$work" --embed
diff -r -x BuiltInImages.rc "$work" "$built"
echo "$(ls "$work"/*.png | wc -l) images drawn again, byte for byte the same"
