# make run   - install what is missing, build x64, start Quillary under Wine
# make test  - install what is missing, check the include rules, build x64 (with its tests) and x86
#              (what ships), check the executables, run the tests
# make crash-test - install what is missing, build x64, run the crash explorer's full sweep
#              (every step of every workload failed and cut; its sample runs in make test)
# make dist  - install what is missing, build both packages (zip and setup program) into build/dist
# make clean - stop a running Wine session and remove build/
SHELL := /bin/bash
.SHELLFLAGS := -euo pipefail -c
.ONESHELL:
.PHONY: run test crash-test dist fuzz clean deps

# How long `make run` waits for the window on a headless machine.
WINDOW_TIMEOUT ?= 60

deps:
	@tools/install-deps.sh

# Headless (no $DISPLAY): a private Xvfb; the window is captured to build/screenshot.png and
# Quillary keeps running until Ctrl+C, or for RUN_SECONDS seconds when that is set.
# With $DISPLAY: Quillary opens in a Wine desktop window on that display until it exits or Ctrl+C.
run: deps
	@cmake --preset x64 --log-level=WARNING
	cmake --build --preset x64 --target quillary
	started=0
	if ! tools/wine-session.sh status >/dev/null; then
	    if [[ -n "$${DISPLAY:-}" ]]; then
	        echo "Using your display $$DISPLAY (Wine desktop window, prefix build/wine)"
	        tools/wine-session.sh start --use-display
	    else
	        echo "No \$$DISPLAY: starting a private Xvfb display for Quillary"
	        tools/wine-session.sh start
	    fi
	    started=1
	fi
	trap '[[ -z "$${pid:-}" ]] || kill "$$pid" 2>/dev/null || true; ((started)) && tools/wine-session.sh stop' EXIT
	# Ctrl+C: leave through the EXIT trap at once (a background program ignores SIGINT here).
	trap 'exit 130' INT TERM
	source build/wine-session.env
	"$$WINE" build/x64/app/quillary.exe &
	pid=$$!
	if [[ -z "$${QUILLARY_XVFB_PID:-}" ]]; then
	    echo "Quillary is running on $$DISPLAY. Quit it from its tray menu or press Ctrl+C here."
	    wait "$$pid" || true
	    pid=
	    exit 0
	fi
	tools/wait-for-popup.sh "$$pid" $(WINDOW_TIMEOUT)
	sleep 0.5
	import -window root build/screenshot.png
	echo "Quillary is running on the private display $$DISPLAY; screenshot: build/screenshot.png"
	if [[ -n "$${RUN_SECONDS:-}" ]]; then
	    echo "Stopping after $$RUN_SECONDS s (RUN_SECONDS)."
	    sleep "$$RUN_SECONDS"
	else
	    echo "Press Ctrl+C to stop it."
	    wait "$$pid" || true
	    pid=
	fi

test: deps
	@tools/check-includes.sh
	for preset in x64 x86; do
	    cmake --preset $$preset --log-level=WARNING
	    cmake --build --preset $$preset
	done
	tools/check-pe.sh
	# The portable file-format code, built natively: its tests, then each fuzz target over its seeds.
	tools/native-tests.sh
	tools/fuzz.sh --seeds
	started=0
	if ! tools/wine-session.sh status >/dev/null; then
	    QUILLARY_SESSION_OWNER=make-test tools/wine-session.sh start
	    started=1
	fi
	# Quiet teardown, so that ctest's summary stays the last output.
	trap '((started)) && tools/wine-session.sh stop >/dev/null' EXIT
	trap 'exit 130' INT TERM
	ctest --preset x64

# Every case of the crash explorer; the last line says how many cases and violations.
crash-test: deps
	@cmake --preset x64 --log-level=WARNING
	cmake --build --preset x64 --target crash_explorer
	started=0
	if ! tools/wine-session.sh status >/dev/null; then
	    QUILLARY_SESSION_OWNER=make-crash-test tools/wine-session.sh start
	    started=1
	fi
	trap '((started)) && tools/wine-session.sh stop >/dev/null' EXIT
	trap 'exit 130' INT TERM
	cmake/wine-run.sh build/x64/tests/crash/crash_explorer.exe --full

# The packages of both presets, checked, with their checksums. The version is CMake's.
dist: deps
	@for preset in x64 x86; do
	    cmake --preset $$preset --log-level=WARNING
	    cmake --build --preset $$preset --target dist_packages
	done
	tools/check-pe.sh
	version=$$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/x64/CMakeCache.txt)
	rm -rf build/dist
	mkdir -p build/dist
	for arch in x64 x86; do
	    cp build/$$arch/packaging/Quillary-$$version-$$arch.zip build/$$arch/packaging/Quillary-$$version-$$arch-setup.exe build/dist/
	done
	(cd build/dist && sha256sum Quillary-* >SHA256SUMS)
	echo "Packages of Quillary $$version in build/dist:"
	ls -l build/dist

# Each fuzz target for FUZZ_SECONDS (default 300) seconds; prints executions and findings.
fuzz: deps
	@tools/fuzz.sh $${FUZZ_SECONDS:-300}

clean:
	@tools/wine-session.sh stop >/dev/null
	rm -rf build

# make bench - install what is missing, build x64, run the benchmark programs under Wine
# and print one table: every figure against a baseline measured in the same run.
.PHONY: bench
bench: deps
	@cmake --preset x64 --log-level=WARNING
	cmake --build --preset x64 --target benchmarks
	started=0
	if ! tools/wine-session.sh status >/dev/null; then
	    QUILLARY_SESSION_OWNER=make-bench tools/wine-session.sh start
	    started=1
	fi
	trap '((started)) && tools/wine-session.sh stop >/dev/null' EXIT
	trap 'exit 130' INT TERM
	bench/run-bench.sh build/x64
