# Tamberlo: the README's commands. Tests and tools build in build/, the program alone in build-release/.
BUILD      ?= build
BUILD_TYPE ?= RelWithDebInfo
JOBS       ?= $(shell nproc)
# The program alone, as Debian builds it, for `make package` and `make install`.
RELEASE    ?= build-release
PREFIX     ?= /usr/local

# Every time stamp a build records (icons in the resources, the .deb's archives) is the last
# commit's, unless the caller gives one: two builds of one commit give the same .deb.
ifeq ($(origin SOURCE_DATE_EPOCH),undefined)
SOURCE_DATE_EPOCH := $(shell git log -1 --format=%ct 2>/dev/null)
endif
ifneq ($(SOURCE_DATE_EPOCH),)
export SOURCE_DATE_EPOCH
endif

.PHONY: all deps configure build run test test-sanitized bench screenshots fuzz release package install uninstall clean

all: build

deps:
	@tools/install-deps.sh

configure: deps
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

run: build
	@if [ -z "$$DISPLAY" ] && [ -z "$$WAYLAND_DISPLAY" ]; then \
		echo "make run: no display (neither DISPLAY nor WAYLAND_DISPLAY is set); start Tamberlo from a desktop session."; \
		exit 1; \
	fi
	@$(BUILD)/src/tamberlo

test: build
	@ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)
	@$(MAKE) --no-print-directory test-sanitized

# The unit and window tests once more under AddressSanitizer and UndefinedBehaviorSanitizer.
test-sanitized: deps
	@cmake -S . -B $(BUILD)-asan -DCMAKE_BUILD_TYPE=Debug -DTAMBERLO_SANITIZE=ON -DTAMBERLO_BENCH=OFF >/dev/null
	@cmake --build $(BUILD)-asan -j $(JOBS)
	@ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
		ctest --test-dir $(BUILD)-asan --output-on-failure -j $(JOBS) -LE 'e2e|packaging' -E '^packaging'

bench: build
	@tools/bench.sh $(BUILD)

# libFuzzer runs of the dictionary core (clang, own build dir build-fuzz); not part of test.
fuzz:
	@tools/fuzz.sh

screenshots: build
	@tools/screenshots.sh $(BUILD)
	@tools/screenshots.sh $(BUILD) docs/screenshots/scale2 2

# No tests, benchmarks or test tools: only what the program needs, with Debian's flags.
release:
	@tools/install-deps.sh --build
	@cmake -S . -B $(RELEASE) -DCMAKE_BUILD_TYPE=None -DTAMBERLO_DEBIAN_FLAGS=ON \
		-DBUILD_TESTING=OFF -DTAMBERLO_BENCH=OFF >/dev/null
	@cmake --build $(RELEASE) -j $(JOBS)

package: release
	@cd $(RELEASE) && cpack -G DEB

# `make install PREFIX=~/.local` needs no root. For /usr/local: `make release`, then
# `sudo cmake --install build-release --strip`, so only the copying runs as root.
install: release
	@tools/install-deps.sh --run
	@cmake --install $(RELEASE) --prefix $(PREFIX) --strip

# Removes what the last install copied (CMake lists it in the build folder), under DESTDIR if given.
uninstall:
	@test -f $(RELEASE)/install_manifest.txt || { echo "make uninstall: $(RELEASE)/install_manifest.txt not found; nothing was installed from $(RELEASE)"; exit 1; }
	@sed 's|^|$(DESTDIR)|' $(RELEASE)/install_manifest.txt | xargs -d '\n' rm -fv
	@grep -o '^.*/tamberlo/' $(RELEASE)/install_manifest.txt | sort -u | while IFS= read -r d; do \
		[ ! -d "$(DESTDIR)$$d" ] || find "$(DESTDIR)$$d" -depth -type d -empty -delete; \
	done

clean:
	rm -rf $(BUILD) build-*
