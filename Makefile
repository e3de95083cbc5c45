# The project's front door. See README.md.
SHELL := /bin/bash
JOBS ?= $(shell nproc)
FUZZ_SECONDS ?= 60
FUZZ_TARGETS ?=
CMAKE_GEN := -G Ninja

.PHONY: all deps native asan win dist fuzz-build test bench soak fuzz run clean format lint screenshots

all: native win

deps:
	@scripts/install-deps.sh

# Optimised native build: the command-line tool and the benchmarks.
native: deps
	@cmake -S . -B build/native $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Release \
	  -DPELLUCORDA_TESTS=OFF -DPELLUCORDA_BENCH=ON >/dev/null
	@cmake --build build/native -j$(JOBS)

# Native test build under AddressSanitizer and UndefinedBehaviorSanitizer.
asan: deps
	@cmake -S . -B build/asan $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Debug \
	  -DPELLUCORDA_SANITIZE=ON >/dev/null
	@cmake --build build/asan -j$(JOBS)

# Cross build of the Windows program into build/dist, and its tests.
win: deps
	@cmake -S . -B build/win $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Release \
	  -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
	  -DPELLUCORDA_DIST_DIR=$(CURDIR)/build/dist -DPELLUCORDA_PACKAGE_DIR=$(CURDIR)/build >/dev/null
	@cmake --build build/win -j$(JOBS)

# The portable zip and the per-user installer, build/pellucorda-<version>-win64.zip
# and build/pellucorda-<version>-x64.msi.
dist: win
	@cmake --build build/win --target dist

fuzz-build: deps
	@CC=clang CXX=clang++ cmake -S . -B build/fuzz $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DPELLUCORDA_TESTS=OFF -DPELLUCORDA_FUZZ=ON \
	  -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all" >/dev/null
	@cmake --build build/fuzz -j$(JOBS)

test: all asan dist
	@scripts/run-tests.sh

bench: native win
	@scripts/bench.sh

# A day of use in minutes: SOAK_CYCLES (default 5000) cycles of the program
# under Wine, ending with how much it grew.
soak: native win
	@scripts/soak.sh

fuzz: fuzz-build
	@FUZZ_SECONDS=$(FUZZ_SECONDS) FUZZ_TARGETS="$(FUZZ_TARGETS)" scripts/fuzz.sh

# Runs the program under Wine from a folder outside the build tree
# (PELLUCORDA_HOME, default ~/.local/share/pellucorda).
run: native win
	@scripts/run.sh

# Applies the house format (.clang-format) to every C++ file under version control.
format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i

# The format check and clang-tidy (.clang-tidy) over the compile commands of
# the three builds; fails on any finding. LINT_JOBS processes at once.
lint: native asan win
	@LINT_JOBS=$(JOBS) scripts/lint.sh

# Refreshes the README's screenshots (docs/screenshots) from the last
# end-to-end run's (build/screenshots), so they show the program as it is.
screenshots:
	@for f in docs/screenshots/*.png; do cp "build/screenshots/$$(basename "$$f")" "$$f" || exit 1; done

clean:
	rm -rf build
