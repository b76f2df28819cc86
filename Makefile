BUILD ?= build
JOBS ?= $(shell nproc)

.PHONY: all deps build run test bench install clean

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

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

bench: build
	cmake --build $(BUILD) --target benchmarks
	scripts/run-benchmarks $(BUILD)

install: build
	cmake --install $(BUILD)

clean:
	rm -rf $(BUILD)
