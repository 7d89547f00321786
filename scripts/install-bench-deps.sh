#!/bin/sh
# Installs what bench/run.sh needs beyond the build and test dependencies: bsdtar
# (libarchive's lh5 decoder, a second reference). Kept apart so that the test run does
# not pay for it.
exec sh "$(dirname "$0")/install-deps.sh" libarchive-tools
