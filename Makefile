# The two everyday commands are `make run` and `make test`; see README.md.

BUILD      ?= build
SANBUILD   ?= build-sanitize
JOBS       ?= $(shell nproc 2>/dev/null || echo 2)
CMAKE_ARGS ?=

.PHONY: all deps configure build programs app-folder run install package test test-sanitize fuzz bench screenshot format clean

all: build

deps:
	@scripts/install-deps

configure: deps
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_ARGS) >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

# What `make run` runs: the program, its reader companion and the message
# tool, without the tests and the benchmark (`make test` builds those).
PROGRAMS := Vantuk Brindel vantuk-send

programs: configure
	@cmake --build $(BUILD) -j $(JOBS) --target $(PROGRAMS)

# The application folder: the program (built there) with the demo menus, the
# contact header and the logo beside it.
APP_FOLDER := $(BUILD)/Vantuk

app-folder: programs
	@scripts/make-app-folder $(APP_FOLDER)

# The program runs on the application folder it lies in, whatever
# VANTUK_APP_FOLDER says in the calling shell.
run: app-folder
	@if [ -z "$$DISPLAY" ] && [ -z "$$WAYLAND_DISPLAY" ] && [ -z "$$QT_QPA_PLATFORM" ]; then \
		echo "make run: there is no display (DISPLAY and WAYLAND_DISPLAY are empty)."; \
		echo "  On a machine without one, start a virtual X server around it:"; \
		echo "      xvfb-run -a make run"; \
		echo "  or start the program without any window on screen:"; \
		echo "      QT_QPA_PLATFORM=offscreen make run"; \
		echo "  The application folder is ready: $(APP_FOLDER)/"; \
		exit 1; \
	fi
	@env -u VANTUK_APP_FOLDER $(APP_FOLDER)/Vantuk

# The installed program (see cmake/Install.cmake): PREFIX is the root the
# tree goes under, / for this machine (as root), a folder to look at it.
PREFIX ?= /

install: programs
	@cmake --install $(BUILD) --prefix $(PREFIX) --strip

# The Debian package of the same tree: $(BUILD)/vantuk_<version>_<arch>.deb.
package: programs
	@cd $(BUILD) && cpack -G DEB >/dev/null
	@ls $(BUILD)/vantuk_*.deb

test: build
	@cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

# Every test once more, built with clang under AddressSanitizer and
# UndefinedBehaviorSanitizer: the GUI-free ones, the windows and views on
# Qt's offscreen platform (tests/gui, tests/widgets), the program's command
# lines (tests/app) and the end-to-end runs, so that a use after free in a
# window fails here as one in the data does; and the fuzz targets for a
# bounded time.
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

# The large canteen week's figures beside their targets (bench/README.md).
# Only the benchmark program is built; what the program prints while it is
# measured goes to $(BUILD)/bench/week_benchmarks.log.
bench: configure
	@cmake --build $(BUILD) --target week_benchmarks -j $(JOBS)
	@cd $(BUILD)/bench && ./week_benchmarks $(BENCH_ARGS)

# The main window with the demo week, drawn without a display. The program
# gets a settings, runtime and data folder of its own, so neither the
# person's settings nor a running Vantuk are touched; --single-user answers
# the first start's question. Its diagnostics go to screenshot.log.
SHOT_HOME := $(abspath $(BUILD))/screenshot-home
SHOT_FILE := $(abspath $(BUILD))/screenshot.png
GALLERY_FILE := $(abspath $(BUILD))/gallery.png

screenshot: app-folder
	@cmake --build $(BUILD) -j $(JOBS) --target gallery
	@rm -rf $(SHOT_HOME) $(SHOT_FILE)
	@mkdir -p $(SHOT_HOME)/config $(SHOT_HOME)/data $(SHOT_HOME)/runtime
	@chmod 700 $(SHOT_HOME)/runtime
	@env -u VANTUK_APP_FOLDER QT_QPA_PLATFORM=offscreen VANTUK_DEBUG=1 XDG_CONFIG_HOME=$(SHOT_HOME)/config \
		XDG_DATA_HOME=$(SHOT_HOME)/data XDG_RUNTIME_DIR=$(SHOT_HOME)/runtime \
		$(APP_FOLDER)/Vantuk --single-user --screenshot $(SHOT_FILE) \
		>$(SHOT_HOME)/screenshot.log 2>&1 \
		|| { cat $(SHOT_HOME)/screenshot.log; echo "make screenshot: the program failed"; exit 1; }
	@test -s $(SHOT_FILE) || { cat $(SHOT_HOME)/screenshot.log; \
		echo "make screenshot: no picture was written"; exit 1; }
	@echo "make screenshot: $(SHOT_FILE)"
	@rm -f $(GALLERY_FILE)
	@env QT_QPA_PLATFORM=offscreen XDG_CONFIG_HOME=$(SHOT_HOME)/config \
		XDG_DATA_HOME=$(SHOT_HOME)/data XDG_RUNTIME_DIR=$(SHOT_HOME)/runtime \
		$(BUILD)/widgets/gallery --screenshot $(GALLERY_FILE) >$(SHOT_HOME)/gallery.log 2>&1 \
		|| { cat $(SHOT_HOME)/gallery.log; echo "make screenshot: the gallery failed"; exit 1; }
	@echo "make screenshot: $(GALLERY_FILE)"

format:
	@find kit calendar data settings widgets mainwin app tests -name '*.h' -o -name '*.cpp' | xargs clang-format -i

clean:
	rm -rf $(BUILD) $(SANBUILD)
