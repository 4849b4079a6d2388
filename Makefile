# Tamberlo: the README's commands. Everything builds in build/.
BUILD      ?= build
BUILD_TYPE ?= RelWithDebInfo
JOBS       ?= $(shell nproc)

.PHONY: all deps configure build run test test-sanitized bench screenshots fuzz package install clean

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

package: build
	@cd $(BUILD) && cpack -G DEB

install: build
	@cmake --install $(BUILD)

clean:
	rm -rf $(BUILD) build-*
