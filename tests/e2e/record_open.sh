#!/bin/sh
# Stands in for the browser in end-to-end tests: Wine's browser launcher runs it with the
# address the program asked the shell to open, and it only writes the address down.
printf '%s\n' "$*" >> "${DORVANE_E2E_OPENED:?}"
