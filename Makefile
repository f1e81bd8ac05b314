# The two commands of the README: `make run` and `make test`.
BUILD      ?= build
BUILD_SAN  ?= build-san
BUILD_BENCH?= build-bench
GENERATOR  := $(shell command -v ninja >/dev/null 2>&1 && echo Ninja || echo "Unix Makefiles")
JOBS       ?= $(shell nproc)

.PHONY: all bootstrap build build-san test test-main test-san run bench fuzz clean

all: build

bootstrap:
	@scripts/bootstrap

build: bootstrap
	@cmake -S . -B $(BUILD) -G "$(GENERATOR)" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
	@cmake --build $(BUILD) -j $(JOBS)

build-san: bootstrap
	@cmake -S . -B $(BUILD_SAN) -G "$(GENERATOR)" -DCMAKE_BUILD_TYPE=Debug -DPW_SANITIZE=ON >/dev/null
	@cmake --build $(BUILD_SAN) -j $(JOBS)

test-main: build
	@cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

test-san: build-san
	@cd $(BUILD_SAN) && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
	  ctest --output-on-failure -j $(JOBS)

# Plain build and tests, then the same tests under AddressSanitizer and UBSan,
# then the bounded fuzz runs when the fuzz targets exist.
test: test-main test-san
	@if [ -f tests/fuzz/CMakeLists.txt ]; then scripts/run-fuzz; fi

fuzz: bootstrap
	@scripts/run-fuzz

run: build
	@scripts/run-demo $(BUILD)

bench: bootstrap
	@cmake -S . -B $(BUILD_BENCH) -G "$(GENERATOR)" -DCMAKE_BUILD_TYPE=Release -DPW_BUILD_BENCH=ON -DPW_BUILD_TESTS=OFF >/dev/null
	@cmake --build $(BUILD_BENCH) -j $(JOBS)
	@scripts/run-bench $(BUILD_BENCH)

clean:
	rm -rf $(BUILD) $(BUILD_SAN) $(BUILD_BENCH) build-fuzz
