# Front door: `make test` and `make demo` work on a fresh Debian 12 machine.
BUILD ?= build/release
TYPE ?= RelWithDebInfo
CMAKE_FLAGS ?=
JOBS ?= $(shell nproc)
RUNS ?= 10
UNDER_LOAD_ARGS ?=
# Build only these targets (default: all), e.g. TARGET=ksx_tsan_tests.
TARGET ?=
# Variables set for the tests only (not the build), e.g. TEST_ENV="HOME=/tmp/h SNMP_PERSISTENT_DIR=/tmp/p".
TEST_ENV ?=

.PHONY: all deps configure build test test-under-load bench demo format clean

all: build

deps:
	@scripts/install-deps

configure: deps
	@cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=$(TYPE) $(CMAKE_FLAGS) >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS) $(if $(TARGET),--target $(TARGET))

test: build
	cd $(BUILD) && env $(TEST_ENV) QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS) $(CTEST_ARGS)

# The suite RUNS times with every core kept busy; per test, how many runs failed.
test-under-load: build
	@scripts/test-under-load -b $(BUILD) -j $(JOBS) $(UNDER_LOAD_ARGS) $(RUNS)

bench: build
	@scripts/run-bench $(BUILD)

demo: build
	@scripts/demo $(BUILD)

format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf build
