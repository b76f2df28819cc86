BUILD ?= build
ASAN_BUILD ?= build-asan
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 60
JOBS ?= $(shell nproc)
SANITIZE = -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined

.PHONY: all deps build run check test test-asan fuzz bench install package package-test clean

all: build

deps:
	scripts/install-deps

$(BUILD)/build.ninja:
	cmake -S . -B $(BUILD) -G Ninja

build: deps $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS)

# Starts Vexilo on the demo set-up: its own registry folder and a demo
# Picture CD in the drive, so a first run touches none of the user's settings.
run: build
	scripts/run-demo $(BUILD)

# The suite once as built, then again under the sanitizers.
test: check
	$(MAKE) test-asan

# A test that fails is run once more, and fails the suite only when it fails
# again: its first failure stays in the output. Some failures come from the
# machine's load alone (an X server or wine that is slow to start) or from Qt
# (a pool thread's data, freed by the thread just after the leak check at
# exit, seen once in many runs).
RETRY = --repeat until-pass:2

check: build
	cd $(BUILD) && ctest --output-on-failure $(RETRY) -j $(JOBS)

# The whole suite again, built with AddressSanitizer and
# UndefinedBehaviorSanitizer: any report fails the test that caused it.
test-asan: deps
	cmake -S . -B $(ASAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  "-DCMAKE_CXX_FLAGS=$(SANITIZE)" "-DCMAKE_C_FLAGS=$(SANITIZE)" \
	  "-DCMAKE_EXE_LINKER_FLAGS=$(SANITIZE)" "-DCMAKE_SHARED_LINKER_FLAGS=$(SANITIZE)"
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	cd $(ASAN_BUILD) && ASAN_OPTIONS=detect_leaks=1:abort_on_error=0:strict_string_checks=1:suppressions=$(CURDIR)/tests/sanitizers/asan.supp \
	  LSAN_OPTIONS=suppressions=$(CURDIR)/tests/sanitizers/lsan.supp:print_suppressions=0 \
	  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	  ctest --output-on-failure $(RETRY) -j $(JOBS)

# Every parser fuzzed for FUZZ_SECONDS seconds, built with clang and
# libFuzzer; crashes are written to fuzz/regressions/<target>/.
fuzz: deps
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -G Ninja -DVEXILO_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(FUZZ_BUILD) -j $(JOBS) --target fuzzers
	fuzz/run-fuzzers $(FUZZ_BUILD)/fuzz $(FUZZ_SECONDS)

bench: build
	cmake --build $(BUILD) --target benchmarks
	scripts/run-benchmarks $(BUILD)

install: build
	cmake --install $(BUILD)

# The Debian package vexilo_VERSION_amd64.deb in $(BUILD), checked by lintian.
package: build
	scripts/install-deps --package
	cd $(BUILD) && cpack -G DEB
	lintian --fail-on error $(BUILD)/vexilo_*_amd64.deb

# Installs the package into a fresh Debian 12 root and starts it there (as root).
package-test: package
	scripts/package-test $(BUILD)

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD)
