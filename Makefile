# Trailscribe: set up, build, run, test.
BUILD ?= build
JOBS  ?= $(shell nproc)

.PHONY: all deps configure build run test bench clean

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

clean:
	rm -rf $(BUILD)
