# SPDX-FileCopyrightText: 2026 The Quillmark developers
# SPDX-License-Identifier: GPL-3.0-or-later
# Entry points for people and CI. Every target installs what is missing first.
#   make run         build and start Quillmark
#   make test        build and run every test, headless
#   make test-tsan   the tests under ThreadSanitizer, the window left out
#   make bench       build and run the benchmarks; JSON results in build/bench/results/
#   make bench-build build the benchmarks only
#   make fuzz        build the fuzzers and run each for FUZZ_SECONDS
#   make screenshot  start Quillmark under Xvfb with a sample file and write a PNG
#   make package     build a .deb with CPack
.PHONY: deps build test test-asan test-tsan run screenshot bench bench-build fuzz fuzz-replay package clean

WERROR ?= OFF
FUZZ_SECONDS ?= 60
JOBS ?= $(shell nproc)
SCREENSHOT ?= build/quillmark-screenshot.png

deps:
	@scripts/install-deps

build: deps
	@cmake --preset default -DQUILLMARK_WERROR=$(WERROR) >/dev/null
	@cmake --build --preset default -j $(JOBS)

test: build
	@ctest --preset default -j $(JOBS)

test-asan: deps
	@cmake --preset asan -DQUILLMARK_WERROR=$(WERROR) >/dev/null
	@cmake --build --preset asan -j $(JOBS)
	@ctest --preset asan -j $(JOBS)

# The threads of Write Folder under ThreadSanitizer; the window is left out.
test-tsan: deps
	@cmake --preset tsan -DQUILLMARK_WERROR=$(WERROR) >/dev/null
	@cmake --build --preset tsan -j $(JOBS)
	@ctest --preset tsan -j $(JOBS)

run: build
	@scripts/run-app build/default/app/quillmark

screenshot: build
	@scripts/screenshot build/default/app/quillmark $(SCREENSHOT)

# What the benchmarks run, built in Release; CI builds it so that a change breaking them shows.
bench-build: deps
	@cmake --preset bench -DQUILLMARK_WERROR=$(WERROR) >/dev/null
	@cmake --build --preset bench -j $(JOBS) --target codec_bench open_save_bench walk_bench window_open_bench quillmark

bench: bench-build
	@mkdir -p build/bench/results; status=0; for b in codec open_save walk window_open; do \
	  build/bench/bench/$${b}_bench --benchmark_out=build/bench/results/$$b.json || status=1; echo; done; \
	scripts/with-xvfb bench/startup_bench.sh build/bench/app/quillmark; \
	rc=$$?; [ $$rc -eq 0 ] || [ $$rc -eq 77 ] || status=1; exit $$status

fuzz: deps
	@cmake --preset fuzz >/dev/null
	@cmake --build --preset fuzz -j $(JOBS)
	@scripts/run-fuzzers build/fuzz $(FUZZ_SECONDS)

fuzz-replay: deps
	@cmake --preset fuzz >/dev/null
	@cmake --build --preset fuzz -j $(JOBS)
	@scripts/run-fuzzers build/fuzz replay

package: build
	@cd build/default && cpack -G DEB

clean:
	rm -rf build
