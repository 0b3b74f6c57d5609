# Thin wrappers: set-up, build, and the suites. See README.md.
JOBS ?= $(shell nproc)
export CCACHE_BASEDIR := $(CURDIR)
export CCACHE_NOHASHDIR := 1
# Preprocessor mode: a hit needs identical preprocessed text. Direct mode, with checkouts sharing
# one cache under relative paths, was seen to hand one checkout an object built from another's
# headers.
export CCACHE_NODIRECT := 1
CMAKE_GEN := -G Ninja

.PHONY: deps build test asan bench fuzz fuzz-build run clean

deps:
	@bash scripts/setup-deps

build: deps
	cmake -S . -B build $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build build -j $(JOBS)

test: build
	cd build && ctest -j $(JOBS) --output-on-failure --no-tests=error

asan: deps
	cmake -S . -B build-asan $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Debug -DVORRIN_SANITIZE=ON
	cmake --build build-asan -j $(JOBS)
	cd build-asan && ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
		ctest -j $(JOBS) --output-on-failure --no-tests=error

bench: build
	@for b in build/bench/bench_*; do echo "== $$b"; $$b --benchmark_min_time=0.2 || exit 1; done

fuzz-build: deps
	CC=clang CXX=clang++ cmake -S . -B build-fuzz $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVORRIN_FUZZ=ON
	cmake --build build-fuzz -j $(JOBS)

fuzz: fuzz-build
	bash scripts/fuzz-replay build-fuzz

run: build
	@echo "The main program does not exist yet."

clean:
	rm -rf build build-asan build-fuzz
