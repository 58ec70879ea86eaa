# Netpeek's two set-up commands on a fresh Debian machine:
#   make run   builds Netpeek.exe and starts it under Wine
#   make test  builds everything and runs every test
# Both install the Debian packages they need first (as root, or through sudo).

SHELL := /bin/bash
ROOT := $(abspath .)
BUILD := $(ROOT)/build
JOBS ?= $(shell nproc)

.PHONY: all deps build build-native build-windows test run clean

all: build

deps:
	@scripts/install-deps.sh

build-native: deps
	cmake --preset native -S $(ROOT) >/dev/null
	cmake --build $(BUILD)/native -j $(JOBS)

# The shipped 32-bit program is always built; the 64-bit twin only where Wine needs it.
build-windows: deps
	cmake --preset windows -S $(ROOT) >/dev/null
	cmake --build $(BUILD)/windows -j $(JOBS)
	@if ! scripts/runs-32bit.sh; then \
	  cmake --preset windows-x64 -S $(ROOT) >/dev/null && \
	  cmake --build $(BUILD)/windows-x64 -j $(JOBS); fi

build: build-native build-windows

test: build
	scripts/with-wine.sh $(BUILD) scripts/run-tests.sh

run: build-windows
	scripts/run.sh

clean:
	rm -rf $(BUILD)
