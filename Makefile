# Two commands do all set-up on a fresh Debian 12 machine:
#   make demo   installs what is missing, builds, and starts Veltrane on its simulated rig
#   make test   installs what is missing, builds, and runs every test
BUILD      ?= build
JOBS       ?= $(shell nproc)
CMAKE_ARGS ?=

.PHONY: all deps build test demo bench fuzz fuzz-long asan clean

all: build

deps:
	@scripts/install-deps

$(BUILD)/CMakeCache.txt: | deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELTRANE_WERROR=ON $(CMAKE_ARGS)

build: deps $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS)

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

demo: build
	scripts/demo $(BUILD)

bench: build
	scripts/bench $(BUILD)

asan: deps
	cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DVELTRANE_SANITIZE=ON -DVELTRANE_WERROR=ON
	cmake --build build-asan -j $(JOBS)
	cd build-asan && ctest --output-on-failure -j $(JOBS)

fuzz: deps
	CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELTRANE_FUZZ=ON \
	  -DVELTRANE_TESTS=OFF -DVELTRANE_BENCH=OFF
	cmake --build build-fuzz -j $(JOBS) --target fuzz_all
	scripts/fuzz build-fuzz $${FUZZ_SECONDS:-20}

clean:
	rm -rf $(BUILD) build-asan build-fuzz
