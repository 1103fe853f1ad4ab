#!/bin/sh
# Runs the window on a private display and accessibility bus and reads it
# there: dbus-run-session -- xvfb-run -a atspi_read.sh WINDOW SCRIPT
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
# The bus is reached through the X11 platform, whatever the tests around chose.
export QT_QPA_PLATFORM=xcb
"$1" &
window=$!
/usr/bin/python3 "$2" "$(basename "$1")"
status=$?
kill "$window"
wait "$window" 2>/dev/null
exit $status
