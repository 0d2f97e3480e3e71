# Every target installs what is missing first (scripts/bootstrap), then builds.
BUILD_DIR    ?= build
SANITIZE_DIR ?= build-sanitize
JOBS         ?= $(shell nproc)
# CI builds treat warnings as errors.
CMAKE_FLAGS  := -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo $(if $(CI),-DTESK_WERROR=ON)

.PHONY: all bootstrap build run test test-sanitize fuzz bench screenshot clean

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
	@cmake -S . -B $(SANITIZE_DIR) $(CMAKE_FLAGS) -DTESK_SANITIZE=ON -DTESK_BUILD_BENCH=OFF >/dev/null
	@cmake --build $(SANITIZE_DIR) -j $(JOBS)
	@ASAN_OPTIONS=detect_leaks=1:abort_on_error=0 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	  ctest --test-dir $(SANITIZE_DIR) --output-on-failure -j $(JOBS)

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
	rm -rf $(BUILD_DIR) $(SANITIZE_DIR) build-fuzz
