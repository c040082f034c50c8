# The two commands for users: `make run` and `make test`. Everything else is
# for developers. Every target first installs what is missing.
# Every test must run here: a test that would skip fails instead (tests/fakes/Skips.h, tests/e2e/lib.sh).
export TIMER_NO_SKIPS := 1

.PHONY: all deps deps-run build run test test-format test-linux test-sanitize test-windows test-deb deb windows bench fuzz mutate tunes-preview clean

all: build

deps:
	@./scripts/install-deps

# Only what building and running the program needs: no tests, no benchmarks.
deps-run:
	@./scripts/install-deps run

build: deps
	cmake --preset default -DTIMER_BUILD_TESTS=ON -DTIMER_BUILD_BENCH=ON
	cmake --build --preset default

run: deps-run
	cmake --preset default -DTIMER_BUILD_TESTS=OFF -DTIMER_BUILD_BENCH=OFF
	cmake --build --preset default --target tovins-timer
	exec build/tovins-timer

test: test-format test-linux test-sanitize test-windows test-deb

# The code as one hand wrote it: the project's .clang-format, checked, never applied.
test-format: deps
	@find src tools tests bench fuzz -name '*.cpp' -o -name '*.h' | sort | xargs clang-format --dry-run -Werror
	@echo "test-format: every C++ file is formatted."

test-linux: build
	ctest --preset default

test-sanitize: deps
	cmake --preset sanitize
	cmake --build --preset sanitize
	ctest --preset sanitize

# The Debian package, build/tovins-timer_<version>_<arch>.deb.
deb: build
	rm -f build/tovins-timer_*.deb
	cd build && cpack --config CPackConfig.cmake

# The package's checks, then one user session with the program unpacked from it.
test-deb: deb
	tests/e2e/session-test.sh build/tovins-timer_*.deb

windows: deps
	@if [ -f cmake/mingw-w64-x86_64.cmake ]; then \
	  cmake --preset windows && cmake --build --preset windows; \
	else echo "The Windows build is not set up yet."; fi

test-windows: windows
	@if [ -f cmake/mingw-w64-x86_64.cmake ]; then ./scripts/run-wine-tests; fi

bench: build
	@if [ -x scripts/run-bench ]; then ./scripts/run-bench; else echo "No benchmarks yet."; fi

fuzz: deps
	@if [ -x scripts/run-fuzz ]; then ./scripts/run-fuzz; else echo "No fuzz targets yet."; fi

# Mutation testing: which of the bugs in mutation/mutants.txt the tests catch.
mutate: deps
	./scripts/mutate

tunes-preview: build
	@if [ -x scripts/tunes-preview ]; then ./scripts/tunes-preview; else echo "No tunes yet."; fi

clean:
	rm -rf build build-sanitize build-windows build-fuzz
