#!/usr/bin/env bash
# The demo show end to end under ThreadSanitizer: builds the program, the engine and the
# end-to-end tests with the tsan preset and the GUI (the tsan preset alone leaves the Qt
# program out), then runs the demo show and the 3,000-frame golden run. Qt's own threads are
# not instrumented; tests/tsan_qt.supp leaves out the reports that have a Qt frame.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/install-deps.sh
cmake --preset tsan -B build/tsan-e2e -DYOV_GUI=ON >/dev/null
cmake --build build/tsan-e2e --target yov lumvatek test_e2e
export TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1:suppressions=$PWD/tests/tsan_qt.supp"
ctest --test-dir build/tsan-e2e -R "DemoShow|DemoGolden" --output-on-failure
