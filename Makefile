# Two entry points: `make run` and `make test`. Both install what is missing first.
BUILD_DIR ?= build
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
LAUNCHER := $(shell command -v ccache >/dev/null 2>&1 && echo -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)

.PHONY: deps configure build test run clean sanitize sanitize-units sanitize-fuzz

deps:
	@bash scripts/install-deps

configure: deps
	@cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo $(LAUNCHER) >/dev/null

build: configure
	@cmake --build $(BUILD_DIR) -j $(JOBS)

test: build
	@cd $(BUILD_DIR) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS) --timeout 300

run: build
	@bash scripts/run-demo $(BUILD_DIR)

# The suite under AddressSanitizer and UndefinedBehaviorSanitizer (build-asan), then 20 s of every
# fuzzer on its corpus (build-fuzz, clang). The two halves run on their own as well.
sanitize:
	@bash scripts/sanitize all

sanitize-units:
	@bash scripts/sanitize units

sanitize-fuzz:
	@bash scripts/sanitize fuzz

clean:
	rm -rf $(BUILD_DIR) build-asan build-fuzz
