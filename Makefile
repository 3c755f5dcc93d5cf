# Trailscribe: set up, build, run, test.
BUILD ?= build
JOBS  ?= $(shell nproc)
# `make install PREFIX=/usr DESTDIR=/tmp/stage` lays the program out under $(DESTDIR)$(PREFIX).
PREFIX ?= /usr/local
DESTDIR ?=

.PHONY: all deps configure build run test bench install package clean

all: build

deps:
	@scripts/install-deps

configure: deps
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

run: build
	@scripts/run $(BUILD)/app/trailscribe

test: build
	@scripts/test $(BUILD)

bench: build
	@scripts/bench $(BUILD)

install: configure
	@cmake --build $(BUILD) -j $(JOBS) --target trailscribe
	@DESTDIR="$(DESTDIR)" cmake --install $(BUILD) --prefix "$(PREFIX)"

# A .deb of the program in $(BUILD)/, its dependencies worked out by dpkg-shlibdeps.
package: configure
	@cmake --build $(BUILD) -j $(JOBS) --target trailscribe
	@cd $(BUILD) && cpack -G DEB

clean:
	rm -rf $(BUILD)
