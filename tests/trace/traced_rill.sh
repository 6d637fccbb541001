#!/usr/bin/env bash
# Stands in for rill in a program test: runs the program under rill-trace, with every kind of
# event traced, so that the test checks that a traced run's output, reports and exit status
# are rill's own. RILL_TRACE names the tracer; the trace itself is thrown away.
exec "$RILL_TRACE" -c -i -s -n 200 -o /dev/null -- "$@"
