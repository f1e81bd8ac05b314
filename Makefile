# The two commands of the README: `make run` and `make test`.
BUILD      ?= build
BUILD_SAN  ?= build-san
BUILD_TSAN ?= build-tsan
BUILD_BENCH?= build-bench
GENERATOR  := $(shell command -v ninja >/dev/null 2>&1 && echo Ninja || echo "Unix Makefiles")
JOBS       ?= $(shell nproc)
PREFIX     ?= /usr/local
DESTDIR    ?=

# What scripts/bootstrap installs: the test tools by default; only what building and running
# needs for run and install, plus the packaging tools for package, plus the peers for bench.
# Without the test tools the plain build leaves the tests out (PW_BUILD_TESTS=AUTO).
KIND       ?= test
run install: KIND = run
package: KIND = package
bench: KIND = bench
TESTS       = $(if $(filter test,$(KIND)),ON,AUTO)

.PHONY: all bootstrap build build-san build-tsan test test-main test-san test-tsan run bench fuzz \
	install uninstall package clean

all: build

bootstrap:
	@scripts/bootstrap $(KIND)

build: bootstrap
	@cmake -S . -B $(BUILD) -G "$(GENERATOR)" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DPW_BUILD_TESTS=$(TESTS) >/dev/null
	@cmake --build $(BUILD) -j $(JOBS)

build-san: bootstrap
	@cmake -S . -B $(BUILD_SAN) -G "$(GENERATOR)" -DCMAKE_BUILD_TYPE=Debug -DPW_SANITIZE=ON >/dev/null
	@cmake --build $(BUILD_SAN) -j $(JOBS)

# ThreadSanitizer: the core and the renderer with their tests (the window is left out: Qt is
# not built for it).
build-tsan: bootstrap
	@cmake -S . -B $(BUILD_TSAN) -G "$(GENERATOR)" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPW_TSAN=ON -DPW_BUILD_APP=OFF >/dev/null
	@cmake --build $(BUILD_TSAN) -j $(JOBS)

test-main: build
	@cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

test-san: build-san
	@cd $(BUILD_SAN) && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
	  ctest --output-on-failure -j $(JOBS)

test-tsan: build-tsan
	@cd $(BUILD_TSAN) && TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" \
	  ctest --output-on-failure -j $(JOBS)

# Plain build and tests, then the same tests under AddressSanitizer and UBSan, then the core
# and renderer tests under ThreadSanitizer, then the bounded fuzz runs.
test: test-main test-san test-tsan
	@if [ -f tests/fuzz/CMakeLists.txt ]; then scripts/run-fuzz; fi

fuzz: bootstrap
	@scripts/run-fuzz

run: build
	@scripts/run-demo $(BUILD)

# Installs under $(PREFIX) (below $(DESTDIR) when given); the list of installed files, with
# $(DESTDIR), is kept in $(BUILD)/installed-files.txt for uninstall.
install: build
	@DESTDIR="$(DESTDIR)" cmake --install $(BUILD) --prefix "$(PREFIX)"
	@scripts/install-list $(BUILD)/install_manifest.txt "$(DESTDIR)" $(BUILD)/installed-files.txt
	@[ -n "$(DESTDIR)" ] || scripts/desktop-caches "$(PREFIX)"

# The caches of the prefix installed to are refreshed by scripts/uninstall, which finds it in
# the list (PREFIX and DESTDIR need not be given again).
uninstall:
	@scripts/uninstall $(BUILD)/installed-files.txt

# The Debian package, $(BUILD)/plotwright_<version>_<arch>.deb.
package: build
	@cmake --build $(BUILD) --target package

bench: bootstrap
	@cmake -S . -B $(BUILD_BENCH) -G "$(GENERATOR)" -DCMAKE_BUILD_TYPE=Release -DPW_BUILD_BENCH=ON -DPW_BUILD_TESTS=OFF >/dev/null
	@cmake --build $(BUILD_BENCH) -j $(JOBS)
	@scripts/run-bench $(BUILD_BENCH)

clean:
	rm -rf $(BUILD) $(BUILD_SAN) $(BUILD_TSAN) $(BUILD_BENCH) build-fuzz
