# Brakkon: the commands a newcomer needs. Everything else is CMake under build/.
BUILD_DIR ?= build
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?=

.PHONY: all deps configure build run test bench clean

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

clean:
	rm -rf $(BUILD_DIR)
