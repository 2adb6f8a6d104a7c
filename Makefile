# Brakkon: the commands a newcomer needs. Everything else is CMake under build/.
BUILD_DIR ?= build
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?=

.PHONY: all deps configure build game run test test-fast tidy format bench fuzz soak install package contact-sheets listen clean

all: build

deps:
	@scripts/install-deps

configure: deps
	@if [ ! -f $(BUILD_DIR)/build.ninja ]; then \
	  cmake -S . -B $(BUILD_DIR) -G Ninja $(CMAKE_FLAGS); fi

build: configure
	@cmake --build $(BUILD_DIR) -j $(JOBS)

# The game alone: `make run` builds no test, tool or benchmark it does not need.
game: configure
	@cmake --build $(BUILD_DIR) -j $(JOBS) --target brakkon

run: game
	$(BUILD_DIR)/brakkon

test: build
	@cd $(BUILD_DIR) && SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy \
	  ctest --output-on-failure -j $(JOBS) --timeout 1800

# The tests labelled fast: under a minute, for the edit-build-test loop.
test-fast: build
	@cd $(BUILD_DIR) && SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy \
	  ctest --output-on-failure -j $(JOBS) --timeout 300 -L fast

# clang-tidy's checks (.clang-tidy) over every source of the game's folders; fails on a finding.
tidy: configure
	@run-clang-tidy -quiet -p $(BUILD_DIR) -j $(JOBS) \
	  '/(app|screens|game|effects|physics|state|gui|xml|media)/[a-z_]+\.cpp$$'

# Rewrites every C++ file of the tree in the layout of .clang-format.
format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i

bench: build
	@cmake --build $(BUILD_DIR) --target bench-report

# Contact sheets of the generated pictures and of every level's thumbnail, in build/contact-sheets/.
contact-sheets: configure
	@cmake --build $(BUILD_DIR) --target contact_sheets level_contact_sheet

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

# The random-input player through every level for SOAK_FRAMES frames, twice: in a game built
# with AddressSanitizer and UndefinedBehaviorSanitizer (build-asan, the game binary only): no
# report, no leak, the heap flat after warm-up; then in the game as shipped: resident memory flat
# too. The sanitizer's quarantine and shadow memory keep growing its resident size for a while,
# so that run allows SOAK_ASAN_RESIDENT_SLACK_MB. Each run prints its memory curve.
SOAK_FRAMES ?= 100000
SOAK_SEED ?= 1
SOAK_ASAN_RESIDENT_SLACK_MB ?= 8
ASAN_BUILD_DIR ?= build-asan
soak: configure
	@if [ ! -f $(ASAN_BUILD_DIR)/build.ninja ]; then \
	  cmake -S . -B $(ASAN_BUILD_DIR) -G Ninja -DBRAKKON_ASAN=ON -DBRAKKON_UBSAN=ON \
	    -DBRAKKON_TESTS=OFF -DBRAKKON_BENCH=OFF; fi
	@ASAN_OPTIONS=detect_leaks=0 cmake --build $(ASAN_BUILD_DIR) -j $(JOBS) --target brakkon
	@cmake --build $(BUILD_DIR) -j $(JOBS) --target brakkon
	@SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy \
	  ASAN_OPTIONS=detect_leaks=1:quarantine_size_mb=32:malloc_context_size=20 \
	  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	  SOAK_RESIDENT_SLACK_MB=$(SOAK_ASAN_RESIDENT_SLACK_MB) \
	  scripts/soak-run.sh $(ASAN_BUILD_DIR)/brakkon $(SOAK_FRAMES) $(SOAK_SEED)
	@SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy \
	  scripts/soak-run.sh $(BUILD_DIR)/brakkon $(SOAK_FRAMES) $(SOAK_SEED)

# Installs the game, its Skin folder, a .desktop entry, icons, the metainfo, the manual page and
# the copyright notices under PREFIX (staged under DESTDIR when given): PREFIX/bin/brakkon,
# PREFIX/share/brakkon/Skin, PREFIX/share/{applications,icons,metainfo,man/man6,doc/brakkon}.
PREFIX ?= /usr/local
install: build
	@DESTDIR=$(DESTDIR) cmake --install $(BUILD_DIR) --prefix $(PREFIX)

# The Debian package brakkon_<version>_<arch>.deb, built by CPack in $(BUILD_DIR) and copied here:
# `apt install ./brakkon_*.deb` installs it.
package: build
	@cd $(BUILD_DIR) && cpack -G DEB > cpack.log || { cat cpack.log; exit 1; }
	@deb=$$(sed -n 's/^CPack: - package: \(.*\.deb\) generated\.$$/\1/p' $(BUILD_DIR)/cpack.log); \
	  cp "$$deb" . && echo "package: $$(basename "$$deb")"

clean:
	rm -rf $(BUILD_DIR)
