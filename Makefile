# The two commands: `make run` and `make test`; `make check` is the fast loop.
.PHONY: run test check lint setup build-release build-tests configure-default

setup:
	@scripts/setup.sh

build-release: setup
	cmake --preset release >/dev/null
	cmake --build --preset release --target nvl-hagaki

run: build-release
	@if [ -n "$$DISPLAY$$WAYLAND_DISPLAY" ]; then \
		build/release/src/app/nvl-hagaki; \
	else \
		echo "No display: starting the program in a virtual display (xvfb-run)."; \
		xvfb-run -a build/release/src/app/nvl-hagaki; \
	fi

configure-default: setup
	cmake --preset default >/dev/null

build-tests: configure-default
	cmake --build --preset default
	cmake --preset asan >/dev/null
	cmake --build --preset asan

# Every test in the plain build, then under ASan+UBSan with the fuzz
# targets, then the static checks.
test: build-tests
	ctest --preset default
	ctest --preset asan
	$(MAKE) --no-print-directory lint

# Unit and window tests, built incrementally with clang in build/check
# (gcc takes twice as long here: its precompiled Qt is 285 MB a test).
check: setup
	cmake --preset check >/dev/null
	cmake --build --preset check
	ctest --preset check

# clang-tidy reads compile commands only: nothing is built for it.
lint: configure-default
	ctest --preset lint
