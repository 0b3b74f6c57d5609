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

# Until the casino client exists: a for-fun blackjack table on the display (the host
# build/dist/kavotable, player "vorrin"). ARGS="--table 1021" picks the side-bet table.
ARGS ?=
run:
	@if [ -z "$$DISPLAY" ] && [ -z "$$WAYLAND_DISPLAY" ] && [ -z "$$SDL_VIDEODRIVER" ]; then \
		echo "make run: no display (DISPLAY and WAYLAND_DISPLAY are not set): run it in a desktop session," >&2; \
		echo "or see the table's pictures in docs/kavo/ (scripts/kavo-xvfb-round plays a round under Xvfb)." >&2; \
		exit 1; fi
	@$(MAKE) --no-print-directory build
	@VORRIN_DISPLAY=sdl build/dist/kavotable $(ARGS); rc=$$?; \
	if [ $$rc -eq 10 ]; then \
		echo "make run: the blackjack table could not start on the display \"$$DISPLAY$$WAYLAND_DISPLAY\" (see above)" >&2; \
	elif [ $$rc -le 3 ]; then rc=0; fi; \
	exit $$rc

clean:
	rm -rf build build-asan build-fuzz
