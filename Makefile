# Trailscribe: set up, build, run, test.
BUILD ?= build
JOBS  ?= $(shell nproc)
# `make install PREFIX=/usr DESTDIR=/tmp/stage` lays the program out under $(DESTDIR)$(PREFIX).
PREFIX ?= /usr/local
DESTDIR ?=
# Options given to CMake when the build tree is configured. The benchmarks (Google Benchmark) are off
# by default so that installing and packaging do not need it; the targets that run them switch them on.
CMAKE_OPTIONS ?=

.PHONY: all deps configure build run test test-debian13 bench install package package-debian13 clean

all: build

deps:
	@scripts/install-deps

configure: deps
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release $(CMAKE_OPTIONS) >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

run: build
	@scripts/run $(BUILD)/app/trailscribe

# Also for the prerequisites (configure, build) of these two targets.
test bench: CMAKE_OPTIONS += -DTRAILSCRIBE_BENCH=ON

test: build
	@scripts/test $(BUILD)

# The same tree built and tested in a Debian 13 root against its Qt 6.8 (needs root; see README).
test-debian13:
	@scripts/debian13 test

bench: build
	@scripts/bench $(BUILD)

install: configure
	@cmake --build $(BUILD) -j $(JOBS) --target trailscribe
	@DESTDIR="$(DESTDIR)" cmake --install $(BUILD) --prefix "$(PREFIX)"

# A .deb of the program in $(BUILD)/, its dependencies worked out by dpkg-shlibdeps.
package: configure
	@cmake --build $(BUILD) -j $(JOBS) --target trailscribe
	@cd $(BUILD) && cpack -G DEB

# The .deb built in the Debian 13 root, into build-debian13/.
package-debian13:
	@scripts/debian13 package

clean:
	rm -rf $(BUILD)
