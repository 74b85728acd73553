# Two entry points on a fresh Debian machine (as root, or with sudo):
#   make run   installs what is missing, builds and starts Dravik
#   make test  installs what is missing, builds and runs every test
#   make deb   builds the Debian package dravik_<version>_<arch>.deb in build-deb
JOBS ?= $(shell nproc)
# The test builds keep line tables for backtraces, not full debug information: it
# halves what the compiler writes and the linker reads.
TEST_FLAGS ?= -O2 -g1 -DNDEBUG
BUILD ?= build
DEB_BUILD ?= build-deb
FUZZ_BUILD ?= build-fuzz
# make fuzz: every fuzz target for FUZZ_RUNS inputs or FUZZ_SECONDS, whichever ends first.
FUZZ_RUNS ?= 10000000
FUZZ_SECONDS ?= 3600
SOURCES = $(shell git ls-files '*.cpp' '*.h' 2>/dev/null || find src tests tools bench -name '*.cpp' -o -name '*.h')

.PHONY: setup build run screenshot test format format-check layers asan fuzz-build fuzz fuzz-smoke deb

setup:
	sh scripts/setup.sh

$(BUILD)/build.ninja:
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DDRAVIK_WERROR=ON \
	    -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="$(TEST_FLAGS)"

build: setup $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS)

run: build
	sh scripts/run-demo.sh $(BUILD)

# The README's picture of the main window, rendered offscreen.
screenshot: build
	cmake --build $(BUILD) --target screenshot

format:
	clang-format -i $(SOURCES)

layers:
	sh scripts/check-layers.sh

format-check:
	clang-format --dry-run --Werror $(SOURCES)

# One sanitizer build serves the logic tests and the fuzz targets: clang, address
# and undefined-behaviour sanitizers, coverage for the fuzzer; the logic library is
# compiled once for both.
$(FUZZ_BUILD)/build.ninja:
	cmake -S . -B $(FUZZ_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DDRAVIK_WERROR=ON \
	    -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="$(TEST_FLAGS)" \
	    -DCMAKE_CXX_COMPILER=clang++ -DDRAVIK_FUZZ=ON

fuzz-build: setup $(FUZZ_BUILD)/build.ninja
	cmake --build $(FUZZ_BUILD) -j $(JOBS)

# The logic tests under the sanitizers.
asan: fuzz-build
	cd $(FUZZ_BUILD) && ctest -L logic --output-on-failure --timeout 300 -j $(JOBS)

# A few seconds a target over its seeds: a known input that crashes fails the tests.
fuzz-smoke: fuzz-build
	cd $(FUZZ_BUILD) && ctest -L fuzz --output-on-failure --timeout 300 -j $(JOBS)

# The long runs, one target after the other; each prints its final figures.
fuzz: fuzz-build
	cd $(FUZZ_BUILD) && DRAVIK_FUZZ_RUNS=$(FUZZ_RUNS) DRAVIK_FUZZ_SECONDS=$(FUZZ_SECONDS) \
	    ctest -L fuzz --output-on-failure --verbose --timeout 0 -j 1

test: setup format-check layers build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure --timeout 300 -j $(JOBS)
	$(MAKE) fuzz-build
	cd $(FUZZ_BUILD) && ctest -L 'logic|fuzz' --output-on-failure --timeout 300 -j $(JOBS)

# The package build has its own folder: Release, installed under /usr, no tests.
$(DEB_BUILD)/build.ninja:
	cmake -S . -B $(DEB_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
	    -DDRAVIK_TESTS=OFF

deb: setup $(DEB_BUILD)/build.ninja
	cmake --build $(DEB_BUILD) -j $(JOBS)
	cd $(DEB_BUILD) && cpack -G DEB
	cp $(DEB_BUILD)/dravik_*.deb .
