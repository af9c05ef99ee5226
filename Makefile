# The project's commands. `make run` and `make test` install what is missing
# (Debian packages, through apt-get), build, then start the program or run
# every test.

JOBS ?= $(shell nproc 2>/dev/null || echo 2)
BUILD ?= build
PREFIX ?= /usr/local
CMAKE_FLAGS ?=

FUZZ_SECONDS ?= 60
# The Windows program's benchmarks run where wine is; BENCH_WINDOWS=1 asks
# for them anyway (wine is installed then), BENCH_WINDOWS=0 leaves them out.
BENCH_WINDOWS ?= $(shell . scripts/wine-tools.sh && find_wine_tool wine64 wine >/dev/null && echo 1)

.PHONY: all deps build run test test-asan test-windows package-windows screenshots-windows bench fuzz \
	fuzz-ci screenshots format clean install uninstall package-deb test-package

all: build

deps:
	@scripts/install-deps.sh build

build: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_FLAGS)
	cmake --build $(BUILD) -j $(JOBS)

run: build
	@if [ -x $(BUILD)/bin/kestrove ]; then exec $(BUILD)/bin/kestrove; \
	else echo "kestrove: no window program in $(BUILD) (built with KESTROVE_QT=OFF?)"; exit 1; fi

test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

# The same tests with AddressSanitizer and UndefinedBehaviorSanitizer.
test-asan: deps
	cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DKESTROVE_SANITIZE=ON $(CMAKE_FLAGS)
	cmake --build build-asan -j $(JOBS)
	cd build-asan && QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=1 \
	    UBSAN_OPTIONS=print_stacktrace=1 ctest --output-on-failure -j $(JOBS)

# The engine and its tests cross-built with mingw-w64 and run under wine64.
test-windows:
	@scripts/install-deps.sh windows
	scripts/test-windows.sh

# The portable zip dist/Kestrove-2.30-win64.zip, then a test of what it holds.
package-windows:
	@scripts/install-deps.sh windows
	scripts/package-windows.sh
	scripts/test-package-windows.sh

# Pictures of every window of the Windows program under wine into docs/windows/.
screenshots-windows:
	@scripts/install-deps.sh windows screenshots-windows
	scripts/screenshots-windows.sh

bench: deps
	cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DKESTROVE_BENCH=ON -DKESTROVE_TESTS=OFF $(CMAKE_FLAGS)
	cmake --build build-bench -j $(JOBS)
	bench/run.sh build-bench
ifeq ($(BENCH_WINDOWS),1)
	@scripts/install-deps.sh windows
	scripts/bench-windows.sh
endif

# The fuzz targets (clang libFuzzer with ASan and UBSan), each run for
# FUZZ_SECONDS seconds on a corpus kept in build-fuzz/corpus.
fuzz:
	@scripts/install-deps.sh build fuzz
	CC=clang-14 CXX=clang++-14 cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	    -DKESTROVE_FUZZ=ON -DKESTROVE_QT=OFF -DKESTROVE_CLI=OFF -DKESTROVE_TESTS=OFF $(CMAKE_FLAGS)
	cmake --build build-fuzz -j $(JOBS)
	FUZZ_SECONDS=$(FUZZ_SECONDS) fuzz/run.sh build-fuzz

# What CI runs: every target for 20 seconds.
fuzz-ci:
	$(MAKE) fuzz FUZZ_SECONDS=20

screenshots: build
	@scripts/install-deps.sh screenshots
	scripts/screenshots.sh $(BUILD)

# Installs the programs, manual pages, help, desktop entry, metadata and
# icons under $(PREFIX); DESTDIR=DIR stages them below DIR instead.
install: build
	DESTDIR="$(DESTDIR)" cmake --install $(BUILD) --prefix "$(PREFIX)"

# Removes what the last `make install` put in place (give the same DESTDIR).
uninstall:
	@if [ ! -f $(BUILD)/install_manifest.txt ]; then \
	    echo "uninstall: nothing was installed from $(BUILD)"; exit 1; fi
	while IFS= read -r f || [ -n "$$f" ]; do rm -f -- "$(DESTDIR)$$f"; done < $(BUILD)/install_manifest.txt
	d=$$(sed -n 's|/share/doc/kestrove/copyright$$|/share/doc/kestrove|p' $(BUILD)/install_manifest.txt); \
	if [ -n "$$d" ] && [ -d "$(DESTDIR)$$d" ]; then rmdir --ignore-fail-on-non-empty -- "$(DESTDIR)$$d"; fi

# dist/kestrove_<version>_amd64.deb
package-deb: build
	@scripts/install-deps.sh package
	cd $(BUILD) && cpack -G DEB

# The installed files and the package checked: validators, a start of the
# installed programs under Xvfb, the package's contents, lintian.
test-package: package-deb
	scripts/test-package.sh $(BUILD)

format:
	find platform core duplicates backup reports app qt win cli tests bench fuzz \
	    \( -name '*.cpp' -o -name '*.h' \) -print0 | xargs -0 -r clang-format -i

clean:
	rm -rf build build-asan build-win build-bench build-win-bench build-fuzz dist
