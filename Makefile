# The two commands of the README, and the developer's others.
JOBS    ?= $(shell nproc)
RELEASE := build/release
ASAN    := build/asan
CMAKE   := cmake -G Ninja -Wno-dev

FUZZ_SECONDS ?= 300

.PHONY: all deps release release-configure asan asan-configure test test-release test-asan test-fuzz run bench fuzz fuzz-build clean

all: release

deps:
	@scripts/install-deps

release-configure: deps
	@$(CMAKE) -S . -B $(RELEASE) -DCMAKE_BUILD_TYPE=Release >/dev/null

release: release-configure
	@cmake --build $(RELEASE) -j $(JOBS)

# One clang build serves the sanitizer tests and the fuzz targets: its libraries are instrumented
# for both, the test programs link as usual, the fuzz targets link libFuzzer. Line tables are all
# the sanitizers' reports need of the debugging information.
asan: asan-configure
	@cmake --build $(ASAN) -j $(JOBS)

# A build folder configured for gcc before is made afresh: CMake cannot change the compiler of
# a configured folder in one run.
asan-configure: deps
	@if [ -f $(ASAN)/CMakeCache.txt ] && ! grep -q '^CMAKE_CXX_COMPILER:.*clang++$$' $(ASAN)/CMakeCache.txt; then \
	  echo "$(ASAN) was configured for another compiler: configuring it afresh"; rm -rf $(ASAN); fi
	@$(CMAKE) -S . -B $(ASAN) -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=Debug \
	  -DCMAKE_CXX_FLAGS_DEBUG="-O1 -gline-tables-only" -DKOSTREL_FUZZ=ON >/dev/null

test-release: release
	@ctest --test-dir $(RELEASE) -j $(JOBS) --output-on-failure --timeout 300

test-asan: asan
	@ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	  ctest --test-dir $(ASAN) -j $(JOBS) --output-on-failure --timeout 600

# The brief fuzz run comes first, so that the test runner's summary closes the output.
test: test-fuzz test-release test-asan

# The program alone, with what it reads beside it: no test program is built.
run: release-configure
	@cmake --build $(RELEASE) -j $(JOBS) --target kostrel
	@$(RELEASE)/bin/kostrel

bench: deps
	@$(CMAKE) -S . -B build/bench -DCMAKE_BUILD_TYPE=Release -DKOSTREL_BENCH=ON >/dev/null
	@cmake --build build/bench -j $(JOBS)
	@failed=""; \
	for b in build/bench/bench/bench_*; do \
	  [ -f "$$b" ] && [ -x "$$b" ] || continue; \
	  echo "== $${b##*/}"; \
	  "$$b" || failed="$$failed $${b##*/}"; \
	done; \
	[ -z "$$failed" ] || { echo "Failed:$$failed"; exit 1; }

fuzz-build: asan-configure
	@cmake --build $(ASAN) -j $(JOBS) --target fuzzers

fuzz: fuzz-build
	@JOBS=$(JOBS) scripts/run-fuzzers $(FUZZ_SECONDS)

test-fuzz: asan
	@JOBS=$(JOBS) scripts/run-fuzzers 10

clean:
	@rm -rf build
