# Netpeek's two set-up commands on a fresh Debian machine:
#   make run   builds Netpeek.exe and Netpeek.com, and starts Netpeek.exe under Wine
#   make test  builds everything and runs every test
# Both install the Debian packages they need first (as root, or through sudo).

SHELL := /bin/bash
ROOT := $(abspath .)
BUILD := $(ROOT)/build
JOBS ?= $(shell nproc)

.PHONY: all deps build build-native build-windows programs test run dist bench clean

# What ships: Netpeek.exe and its console twin Netpeek.com.
PROGRAMS := Netpeek NetpeekConsole

all: build

deps:
	@scripts/install-deps.sh

build-native: deps
	cmake --preset native -S $(ROOT) >/dev/null
	cmake --build $(BUILD)/native -j $(JOBS)

# The shipped 32-bit programs are always built, and so are their 64-bit twins, whose import
# tables are checked too; the twins' tests only where Wine needs them.
build-windows: deps
	cmake --preset windows -S $(ROOT) >/dev/null
	cmake --build $(BUILD)/windows -j $(JOBS)
	cmake --preset windows-x64 -S $(ROOT) >/dev/null
	@if scripts/runs-32bit.sh; then target="--target $(PROGRAMS)"; else target=""; fi; \
	  cmake --build $(BUILD)/windows-x64 -j $(JOBS) $$target

# The programs alone, no tests: the 32-bit ones, and where the kernel runs no 32-bit code the
# 64-bit Netpeek.exe that run.sh starts there.
programs: deps
	cmake --preset windows -S $(ROOT) >/dev/null
	cmake --build $(BUILD)/windows -j $(JOBS) --target $(PROGRAMS)
	@if ! scripts/runs-32bit.sh; then \
	  cmake --preset windows-x64 -S $(ROOT) >/dev/null && cmake --build $(BUILD)/windows-x64 -j $(JOBS) --target Netpeek; fi

build: build-native build-windows

test: build
	scripts/with-wine.sh $(BUILD) scripts/run-tests.sh

run: programs
	scripts/run.sh

# The release: build/dist/Netpeek-<version>.zip with Netpeek.exe, Netpeek.com and the read-mes
# ReadMe.txt and ReadMe.en.txt, and beside it the winget and Scoop manifests that name it at
# NETPEEK_URL; the same bytes from every build of a commit; prints the zip's SHA-256. Builds the
# programs only.
dist: deps
	cmake --preset windows -S $(ROOT) >/dev/null
	@set -o pipefail; cmake --build $(BUILD)/windows --target dist -- --no-print-directory | grep -v '^\[ *[0-9]*%\] Built target'

# Benchmarks with budgets: release builds of their own, so that the test builds keep their
# sanitizers and nothing of this reaches `make test`.
bench: deps
	@scripts/install-deps.sh bench
	cmake --preset native -S $(ROOT) -B $(BUILD)/bench-native -DNETPEEK_BENCH=ON -DNETPEEK_SANITIZE=OFF \
	  -DCMAKE_BUILD_TYPE=Release >/dev/null
	cmake --build $(BUILD)/bench-native -j $(JOBS) --target core_bench
	cmake --preset windows -S $(ROOT) -B $(BUILD)/bench-windows -DNETPEEK_BENCH=ON >/dev/null
	cmake --build $(BUILD)/bench-windows -j $(JOBS) --target Netpeek win_bench minwin minlist save_bench mincsv minprom minread NetpeekConsole watch_bench
	@if ! scripts/runs-32bit.sh; then \
	  cmake --preset windows-x64 -S $(ROOT) -B $(BUILD)/bench-windows-x64 -DNETPEEK_BENCH=ON >/dev/null && \
	  cmake --build $(BUILD)/bench-windows-x64 -j $(JOBS) --target Netpeek win_bench minwin minlist save_bench mincsv minprom minread NetpeekConsole watch_bench; fi
	scripts/with-wine.sh $(BUILD) scripts/bench.sh

clean:
	rm -rf $(BUILD)
