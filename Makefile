# Two entry points: `make run` (the plain run) and `make test` (all tests).
# Both install what they need on a fresh Debian 12 machine.
BUILD ?= build
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
CMAKE_FLAGS ?= -DSB_WERROR=ON

WIN_BUILD ?= build-windows
WIN_FLAGS = -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DCMAKE_BUILD_TYPE=Release $(CMAKE_FLAGS)
VERSION := $(shell grep -m1 -o 'project.scenario_builder VERSION [0-9.]*' CMakeLists.txt | grep -o '[0-9.]*$$')

ASAN_BUILD ?= build-asan
FUZZ_BUILD ?= build-fuzz
FUZZ_TIME ?= 30

.PHONY: deps test-deps program build run test test-windows windows dist golden install package bench test-sanitize fuzz-smoke clean

deps:
	@bash scripts/install-deps.sh build

test-deps:
	@bash scripts/install-deps.sh test

# The program alone: no tests, no benchmarks.
program: deps
	@cmake -S . -B $(BUILD) $(CMAKE_FLAGS) -DSB_TESTS=OFF -DSB_BENCH=OFF >/dev/null
	@cmake --build $(BUILD) -j $(JOBS) --target scenario-builder

# Everything the tests need, built.
build: test-deps
	@cmake -S . -B $(BUILD) $(CMAKE_FLAGS) -DSB_TESTS=ON >/dev/null
	@cmake --build $(BUILD) -j $(JOBS)

# The program writes beside itself: the scenario appears in $(BUILD)/.
run: program
	./$(BUILD)/scenario-builder

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)
	@$(MAKE) --no-print-directory test-windows

# The Windows program and its tests, cross-built and run under Wine; its
# outputs are compared with the Linux build's.
test-windows: build
	@bash tests/windows/run-tests.sh $(WIN_BUILD) $(CURDIR)/$(BUILD)/scenario-builder $(JOBS) $(CMAKE_FLAGS)

# The Windows program alone, statically linked: $(WIN_BUILD)/scenario-builder.exe.
windows:
	@bash scripts/install-deps.sh windows
	@cmake -S . -B $(WIN_BUILD) $(WIN_FLAGS) -DSB_TESTS=OFF -DSB_BENCH=OFF >/dev/null
	@cmake --build $(WIN_BUILD) -j $(JOBS) --target scenario-builder

# What is handed out, in dist/: the Windows zip (the program, README.txt for
# players and authors, the format reference, the examples, the licences)
# and the Linux package.
dist: windows package
	@mkdir -p dist
	@bash scripts/windows-zip.sh $(WIN_BUILD)/scenario-builder.exe $(VERSION) dist/scenario-builder-$(VERSION)-windows-x86_64.zip
	@cp $(BUILD)/scenario-builder_*.deb dist/
	@ls dist

# Writes the golden outputs (tests/golden) and the scenario cases'
# expectations (tests/cases) anew from what the program now does: after a
# change meant to change an output. Look at `git diff` before committing.
golden: build
	cd $(BUILD) && SB_REGENERATE=1 ./unit_tests --gtest_filter='Golden.*:Cases/ScenarioCase.*'

# Installs the program into PREFIX (default /usr/local), with its module,
# man page, reference and examples.
PREFIX ?= /usr/local
install: program
	@cmake --install $(BUILD) --prefix $(PREFIX)

# A Debian package of what the install puts in place, in $(BUILD)/.
package: program
	@cd $(BUILD) && cpack -G DEB

# The compile step and the encoders (Google Benchmark), then the whole
# program against copying its outputs. Timings are figures, never tests.
bench: build
	@bash scripts/install-deps.sh extras
	@cmake -S . -B $(BUILD) $(CMAKE_FLAGS) -DSB_TESTS=ON -DSB_BENCH=ON >/dev/null
	@cmake --build $(BUILD) -j $(JOBS)
	./$(BUILD)/scenario_bench
	BUILD=$(BUILD) bench/run.sh

# The unit tests again, built with address and undefined-behaviour
# sanitizers. The desktop tests, timed against a live X server, run in the
# plain build only: instrumented, the toolkit is too slow for their waits.
test-sanitize: test-deps
	@cmake -S . -B $(ASAN_BUILD) $(CMAKE_FLAGS) -DSB_SANITIZE=ON -DSB_BENCH=OFF >/dev/null
	@cmake --build $(ASAN_BUILD) -j $(JOBS)
	cd $(ASAN_BUILD) && LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp:print_suppressions=0 \
	  ctest --output-on-failure -j $(JOBS) -E '^DesktopTest\.'

# Short runs of the four fuzz targets (clang, libFuzzer): the reader, the
# reader on routes capped at 30 km, the check of authors' texts, and the
# compiled-file readers, each on seeds made afresh from the scenario cases,
# in a scratch folder.
# FUZZ_TIME=1800 for a real run (seconds a target).
fuzz-smoke: test-deps
	@CXX=clang++ cmake -S . -B $(FUZZ_BUILD) $(CMAKE_FLAGS) -DSB_FUZZ=ON -DSB_TESTS=OFF -DSB_BENCH=OFF >/dev/null
	@cmake --build $(FUZZ_BUILD) -j $(JOBS) --target reader_fuzzer reader_fuzzer_capped check_fuzzer compiled_fuzzer make_corpus
	@work=$$(mktemp -d) && trap 'rm -rf "$$work"' EXIT && \
	  mkdir "$$work/texts" "$$work/compiled" && \
	  ./$(FUZZ_BUILD)/make_corpus tests/cases "$$work/texts" && \
	  ./$(FUZZ_BUILD)/make_corpus --compiled tests/cases "$$work/compiled" && \
	  for target in reader_fuzzer reader_fuzzer_capped check_fuzzer; do \
	    ./$(FUZZ_BUILD)/$$target -dict=fuzz/reader.dict -max_total_time=$(FUZZ_TIME) \
	      -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
	      -artifact_prefix="$$PWD/$(FUZZ_BUILD)/$$target-" "$$work/texts" || exit 1; \
	  done && \
	  ./$(FUZZ_BUILD)/compiled_fuzzer -max_total_time=$(FUZZ_TIME) -max_len=200000 \
	    -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
	    -artifact_prefix="$$PWD/$(FUZZ_BUILD)/compiled_fuzzer-" "$$work/compiled"

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD) $(WIN_BUILD) dist
