# Entry points: `make run`, `make test`, `make package`. Each installs what is missing first.
BUILD_DIR ?= build
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
LAUNCHER := $(shell command -v ccache >/dev/null 2>&1 && echo -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
# Ninja when it is installed (looked up after deps ran); a build folder keeps the generator it has.
GENERATOR = $(shell test -f $(BUILD_DIR)/CMakeCache.txt || { command -v ninja >/dev/null 2>&1 && echo -G Ninja; })
LOG = $(BUILD_DIR)/make.log

.PHONY: deps configure build test run package clean sanitize sanitize-units sanitize-fuzz

deps:
	@bash scripts/install-deps

configure: deps
	@cmake -S . -B $(BUILD_DIR) $(GENERATOR) -DCMAKE_BUILD_TYPE=RelWithDebInfo $(LAUNCHER) >/dev/null

build: configure
	@cmake --build $(BUILD_DIR) -j $(JOBS)

test: build
	@cd $(BUILD_DIR) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS) --timeout 300

# Builds only the program and the simulator, one progress line per step; the build tool's own
# output goes to $(LOG) and is shown only when a step fails.
run:
	@echo "[1/4] checking the packages Kivo needs"
	@bash scripts/install-deps
	@echo "[2/4] configuring $(BUILD_DIR)"
	@mkdir -p $(BUILD_DIR)
	@cmake -S . -B $(BUILD_DIR) $(GENERATOR) -DCMAKE_BUILD_TYPE=RelWithDebInfo $(LAUNCHER) >$(LOG) 2>&1 \
		|| { cat $(LOG); exit 1; }
	@echo "[3/4] building kivo and kivo-sim"
	@cmake --build $(BUILD_DIR) -j $(JOBS) --target kivo kivo-sim >>$(LOG) 2>&1 || { tail -n 60 $(LOG); exit 1; }
	@bash scripts/run-demo $(BUILD_DIR)

# The Debian package kivo_<version>_<arch>.deb in $(BUILD_DIR), checked with lintian.
package: build
	@bash scripts/install-deps --packaging
	@cd $(BUILD_DIR) && cpack -G DEB
	@lintian $(BUILD_DIR)/kivo_*.deb && echo "lintian: no errors"

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
