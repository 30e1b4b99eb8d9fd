#!/bin/sh
# Stands in for the browser in the shell tests: records every address it is
# given, one per line, in a file beside itself.
printf "%s\n" "$@" >> "$(dirname "$0")/browser-stand-in.txt"
