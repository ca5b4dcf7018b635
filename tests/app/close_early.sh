#!/bin/sh
# Run by the GUI checks: starts a program, asks it to end (SIGTERM) as soon as
# it holds such requests (while the toolkit starts and the loading picture is
# up) and writes its exit status to STATUS_FILE. The wait for the request to be
# held has a generous cap only so that a game that never holds it cannot hang
# the check; a loaded machine just makes the wait longer.
# usage: close_early.sh STATUS_FILE LOG_FILE PROGRAM [ARGUMENT...]
status_file=$1
log=$2
shift 2
"$@" > "$log" 2>&1 &
pid=$!
i=0
while [ $i -lt 6000 ] && ! grep -q '^SigBlk:.*[1-9a-f]' /proc/$pid/status 2>/dev/null; do
  sleep 0.01
  i=$((i + 1))
done
kill $pid 2>/dev/null || true
status=0
wait $pid || status=$?
echo "$status" > "$status_file"
