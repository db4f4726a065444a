#!/bin/sh
# Runs the Python package's tests with an interpreter that has pytest (Debian's python3-pytest
# belongs to /usr/bin/python3, which another python3 on PATH may hide); exits 77, the test's
# skip code, when none has it.
for python in python3 /usr/bin/python3; do
    if "$python" -c "import pytest" 2>/dev/null; then
        exec "$python" -m pytest -q -p no:cacheprovider "$@"
    fi
done
echo "python3-pytest is not installed: skipping the Python tests" >&2
exit 77
