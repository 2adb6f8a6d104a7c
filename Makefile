# Brakkon: the commands a newcomer needs. Everything else is CMake under build/.
BUILD_DIR ?= build
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?=

.PHONY: all deps configure build run test bench fuzz contact-sheets listen clean

all: build

deps:
	@scripts/install-deps

configure: deps
	@if [ ! -f $(BUILD_DIR)/build.ninja ]; then \
	  cmake -S . -B $(BUILD_DIR) -G Ninja $(CMAKE_FLAGS); fi

build: configure
	@cmake --build $(BUILD_DIR) -j $(JOBS)

run: build
	$(BUILD_DIR)/brakkon

test: build
	@cd $(BUILD_DIR) && SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy \
	  ctest --output-on-failure -j $(JOBS) --timeout 900

bench: build
	@cmake --build $(BUILD_DIR) --target bench-report

# Contact sheets of the generated pictures, in build/contact-sheets/.
contact-sheets: configure
	@cmake --build $(BUILD_DIR) --target contact_sheets

# The sound report (peaks, loudness, loop seams) and sonograms, in build/sound-report.txt.
listen: configure
	@cmake --build $(BUILD_DIR) --target listen

# Every libFuzzer target for FUZZ_SECONDS each, in a clang build of its own.
FUZZ_SECONDS ?= 60
fuzz: deps
	@if [ ! -f build-fuzz/build.ninja ]; then \
	  CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DBRAKKON_FUZZ=ON \
	    -DBRAKKON_TESTS=OFF -DBRAKKON_BENCH=OFF; fi
	@cmake --build build-fuzz -j $(JOBS) --target fuzz-all
	@FUZZ_SECONDS=$(FUZZ_SECONDS) scripts/run-fuzzers build-fuzz

clean:
	rm -rf $(BUILD_DIR)
