# Two entry points on a fresh Debian machine (as root, or with sudo):
#   make run   installs what is missing, builds and starts Dravik
#   make test  installs what is missing, builds and runs every test
#   make deb   builds the Debian package dravik_<version>_<arch>.deb in build-deb
JOBS ?= $(shell nproc)
BUILD ?= build
ASAN_BUILD ?= build-asan
DEB_BUILD ?= build-deb
SOURCES = $(shell git ls-files '*.cpp' '*.h' 2>/dev/null || find src tests tools bench -name '*.cpp' -o -name '*.h')

.PHONY: setup build run test format format-check layers asan deb

setup:
	sh scripts/setup.sh

$(BUILD)/build.ninja:
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DDRAVIK_WERROR=ON

build: setup $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS)

run: build
	sh scripts/run-demo.sh $(BUILD)

format:
	clang-format -i $(SOURCES)

layers:
	sh scripts/check-layers.sh

format-check:
	clang-format --dry-run --Werror $(SOURCES)

$(ASAN_BUILD)/build.ninja:
	cmake -S . -B $(ASAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DDRAVIK_WERROR=ON \
	    -DDRAVIK_SANITIZE=ON -DDRAVIK_LOGIC_ONLY=ON

asan: setup $(ASAN_BUILD)/build.ninja
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	cd $(ASAN_BUILD) && ctest -L logic --output-on-failure --timeout 300 -j $(JOBS)

test: setup format-check layers build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure --timeout 300 -j $(JOBS)
	$(MAKE) asan

# The package build has its own folder: Release, installed under /usr, no tests.
$(DEB_BUILD)/build.ninja:
	cmake -S . -B $(DEB_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
	    -DDRAVIK_TESTS=OFF

deb: setup $(DEB_BUILD)/build.ninja
	cmake --build $(DEB_BUILD) -j $(JOBS)
	cd $(DEB_BUILD) && cpack -G DEB
	cp $(DEB_BUILD)/dravik_*.deb .
