# Two commands do all set-up on a fresh Debian 12 machine:
#   make demo   installs what is missing, builds, and starts Veltrane on its simulated rig
#   make test   installs what is missing, builds, and runs every test
BUILD      ?= build
JOBS       ?= $(shell nproc)
CMAKE_ARGS ?=
# The fuzz targets build with clang in their own folder; each runs FUZZ_SECONDS in `make test` and
# `make fuzz` (FUZZ_SECONDS=600 make fuzz for a longer run).
FUZZ_BUILD   ?= build-fuzz
FUZZ_SECONDS ?= 20

.PHONY: all deps build test format-check demo bench fuzz fuzz-build package asan clean

all: build

deps:
	@scripts/install-deps

$(BUILD)/CMakeCache.txt: | deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELTRANE_WERROR=ON $(CMAKE_ARGS)

build: deps $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS)

# The tracked sources in the project's format, every CTest test, then a bounded libFuzzer run of
# each parser; a source out of format, a failed test or a crash fails the target.
test: format-check build $(FUZZ_BUILD)/CMakeCache.txt
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)
	cmake --build $(FUZZ_BUILD) -j $(JOBS) --target fuzz_all
	scripts/fuzz $(FUZZ_BUILD) $(FUZZ_SECONDS)

# Fails when a tracked C++ source differs from .clang-format (clang-format -i FILE mends it).
format-check: deps
	@git ls-files -- 'src/*' 'tools/*' 'tests/*' 'bench/*' 'fuzz/*' | grep -E '\.(cpp|h)$$' \
	  | xargs clang-format --dry-run --Werror

# The Debian package (veltrane_<version>_<arch>.deb in the build folder).
package: build
	cd $(BUILD) && cpack -G DEB

demo: build
	scripts/demo $(BUILD)

bench: build
	scripts/bench $(BUILD)

asan: deps
	cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DVELTRANE_SANITIZE=ON -DVELTRANE_WERROR=ON
	cmake --build build-asan -j $(JOBS)
	cd build-asan && ctest --output-on-failure -j $(JOBS)

# Configured once, so later runs rebuild only what changed.
$(FUZZ_BUILD)/CMakeCache.txt: | deps
	CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELTRANE_FUZZ=ON \
	  -DVELTRANE_TESTS=OFF -DVELTRANE_BENCH=OFF

fuzz-build: deps $(FUZZ_BUILD)/CMakeCache.txt
	cmake --build $(FUZZ_BUILD) -j $(JOBS) --target fuzz_all

fuzz: fuzz-build
	scripts/fuzz $(FUZZ_BUILD) $(FUZZ_SECONDS)

clean:
	rm -rf $(BUILD) build-asan $(FUZZ_BUILD)
