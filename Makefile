# Every target installs what is missing first (scripts/bootstrap), then builds.
BUILD_DIR    ?= build
SANITIZE_DIR ?= build-sanitize
THREAD_DIR   ?= build-thread
JOBS         ?= $(shell nproc)
# CI builds treat warnings as errors.
CMAKE_FLAGS  := -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo $(if $(CI),-DTESK_WERROR=ON)
# Checked builds optimise less and keep only line tables: their reports still
# name file and line, and they compile in a fraction of the time.
CHECKED_FLAGS := -DCMAKE_C_FLAGS_RELWITHDEBINFO="-O1 -g1 -DNDEBUG" \
                 -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g1 -DNDEBUG"

.PHONY: all bootstrap build run test test-sanitize test-thread fuzz bench screenshot clean

all: build

bootstrap:
	@scripts/bootstrap

build: bootstrap
	@cmake -S . -B $(BUILD_DIR) $(CMAKE_FLAGS) >/dev/null
	@cmake --build $(BUILD_DIR) -j $(JOBS)

run: build
	@scripts/run-sample $(BUILD_DIR)

test: build
	@ctest --test-dir $(BUILD_DIR) --output-on-failure -j $(JOBS)

# AddressSanitizer, UndefinedBehaviorSanitizer and LeakSanitizer over every test.
test-sanitize: bootstrap
	@cmake -S . -B $(SANITIZE_DIR) $(CMAKE_FLAGS) $(CHECKED_FLAGS) -DTESK_SANITIZE=ON -DTESK_BUILD_BENCH=OFF >/dev/null
	@cmake --build $(SANITIZE_DIR) -j $(JOBS)
	@ASAN_OPTIONS=detect_leaks=1:abort_on_error=0 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	  ctest --test-dir $(SANITIZE_DIR) --output-on-failure -j $(JOBS)

# ThreadSanitizer over the tests of the conversion run (core and tesk-cli end to
# end), the code that runs on two threads; the other suites stay on one, and so
# do the loader's long tables, which are left out to keep CI short.
THREAD_TEST_DIRS := tests/core tests/cli
THREAD_TEST_SKIP := ^Table/(CaptureReadingChoice|BandLayout)\.
test-thread: bootstrap
	@cmake -S . -B $(THREAD_DIR) $(CMAKE_FLAGS) $(CHECKED_FLAGS) -DTESK_SANITIZE_THREAD=ON -DTESK_BUILD_GUI=OFF -DTESK_BUILD_BENCH=OFF >/dev/null
	@cmake --build $(THREAD_DIR) -j $(JOBS) --target tesk_core_tests tesk_cli_tests
	@for dir in $(THREAD_TEST_DIRS); do \
	  TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 \
	    ctest --test-dir $(THREAD_DIR)/$$dir --output-on-failure -j $(JOBS) -E '$(THREAD_TEST_SKIP)' || exit 1; \
	done

# Coverage-guided fuzzing of every input path (clang + libFuzzer), FUZZ_SECONDS per target.
FUZZ_SECONDS ?= 120
fuzz: bootstrap
	@FUZZ_SECONDS=$(FUZZ_SECONDS) JOBS=$(JOBS) scripts/fuzz

# The README's picture of the window showing the sample, taken on a virtual display.
screenshot: build
	@xvfb-run -a -s "-screen 0 1024x768x24" scripts/window-screenshot $(BUILD_DIR)/app/tesk docs/screenshot.png
	@echo "docs/screenshot.png"

bench: build
	@cmake --build $(BUILD_DIR) --target bench

clean:
	rm -rf $(BUILD_DIR) $(SANITIZE_DIR) $(THREAD_DIR) build-fuzz
