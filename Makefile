# Two entry points: `make run` (the plain run) and `make test` (all tests).
# Both install what they need on a fresh Debian 12 machine.
BUILD ?= build
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
CMAKE_FLAGS ?= -DSB_WERROR=ON

.PHONY: deps configure build run test bench clean

deps:
	@bash scripts/install-deps.sh

configure: deps
	@cmake -S . -B $(BUILD) $(CMAKE_FLAGS) >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

# The program writes beside itself: the scenario appears in $(BUILD)/.
run: build
	./$(BUILD)/scenario-builder

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

# The compile step and the encoders (Google Benchmark), then the whole
# program against copying its outputs. Timings are figures, never tests.
bench: build
	./$(BUILD)/scenario_bench
	BUILD=$(BUILD) bench/run.sh

clean:
	rm -rf $(BUILD)
