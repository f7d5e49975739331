# The two everyday commands are `make run` and `make test`; see README.md.

BUILD      ?= build
SANBUILD   ?= build-sanitize
JOBS       ?= $(shell nproc 2>/dev/null || echo 2)
CMAKE_ARGS ?=

.PHONY: all deps configure build run test test-sanitize fuzz bench screenshot format clean

all: build

deps:
	@scripts/install-deps

configure: deps
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_ARGS) >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

run: build
	@echo "make run: not yet - the main window arrives with its own issue; this build has the GUI-free core and its tests."

test: build
	@cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

# The GUI-free tests once more, built with clang under AddressSanitizer and
# UndefinedBehaviorSanitizer, with the fuzz targets run for a bounded time.
test-sanitize: deps
	@CC=clang CXX=clang++ cmake -S . -B $(SANBUILD) -DCMAKE_BUILD_TYPE=Debug \
		-DVANTUK_SANITIZE=ON -DVANTUK_FUZZ=ON >/dev/null
	@cmake --build $(SANBUILD) -j $(JOBS)
	@cd $(SANBUILD) && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
		LSAN_OPTIONS=suppressions=$(CURDIR)/tests/leaks.supp \
		ctest --output-on-failure -j $(JOBS)

# The fuzz targets for longer (FUZZ_SECONDS each). What they find goes into the
# build tree; the committed seed corpus is only read.
FUZZ_SECONDS ?= 300
fuzz: test-sanitize
	@for target in $(SANBUILD)/tests/fuzz/fuzz_*; do \
		[ -x "$$target" ] || continue; \
		name=$$(basename $$target); \
		mkdir -p $(SANBUILD)/tests/fuzz/corpus/$$name; \
		echo "fuzzing $$name for $(FUZZ_SECONDS) s"; \
		"$$target" -max_total_time=$(FUZZ_SECONDS) -print_final_stats=1 \
			-artifact_prefix=$(SANBUILD)/tests/fuzz/$$name- \
			$(SANBUILD)/tests/fuzz/corpus/$$name tests/fuzz/corpus/$$name || exit 1; \
	done

bench: build
	@echo "make bench: not yet - the benchmarks arrive with the main window and the summaries."

screenshot: build
	@echo "make screenshot: not yet - the main window arrives with its own issue."

format:
	@find kit calendar data settings tests -name '*.h' -o -name '*.cpp' | xargs clang-format -i

clean:
	rm -rf $(BUILD) $(SANBUILD)
