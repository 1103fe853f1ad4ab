#!/bin/sh
# Runs the window on a private display and accessibility bus and reads it
# there: dbus-run-session -- xvfb-run -a atspi_read.sh WINDOW SCRIPT
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
"$1" &
window=$!
/usr/bin/python3 "$2" "$(basename "$1")"
status=$?
kill "$window"
wait "$window" 2>/dev/null
exit $status
