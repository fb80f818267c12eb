# The two commands: `make run` and `make test`.
.PHONY: run test setup build-release build-tests

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

build-tests: setup
	cmake --preset default >/dev/null
	cmake --build --preset default
	cmake --preset asan >/dev/null
	cmake --build --preset asan
	cmake --preset fuzz >/dev/null
	cmake --build --preset fuzz

test: build-tests
	ctest --preset default
	ctest --preset asan
	ctest --preset fuzz
