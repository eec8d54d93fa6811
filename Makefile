# One command to build and start the mailer, one to build and run every test.
#   make run         build and start Quillpost2
#   make run-vivove  build and start Vivove, the duplicate-address remover
#   make test        build and run the whole test suite (also under ASan/UBSan, and the fuzz smoke runs)
#   make install     build and install both programs for this user (PREFIX=... for another place)
#   make uninstall   remove what the last install put there
JOBS ?= $(shell nproc)
BUILD := build
ASAN_BUILD := build-asan
FUZZ_BUILD := build-fuzz

.PHONY: all run run-vivove install uninstall test test-plain test-asan fuzz-smoke bench deps test-deps clean

all: deps
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(BUILD) -j $(JOBS)

deps:
	@scripts/install-deps.sh build

test-deps:
	@scripts/install-deps.sh test

run: all
	$(BUILD)/Quillpost2

run-vivove: all
	$(BUILD)/Vivove

install: all
	cmake --install $(BUILD) $(if $(PREFIX),--prefix $(PREFIX))

uninstall:
	cmake --build $(BUILD) --target uninstall

test: test-plain test-asan fuzz-smoke

test-plain: test-deps
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(BUILD) -j $(JOBS)
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

# Leak detection stays on; tests/lsan.supp lists the leaks of the platform's libraries.
LSAN_SETTINGS := LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp:print_suppressions=0

test-asan: test-deps
	cmake -S . -B $(ASAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQUILL_SANITIZE=ON -DQUILL_BENCH=OFF
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	cd $(ASAN_BUILD) && QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=1 $(LSAN_SETTINGS) \
	  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 ctest --output-on-failure -j $(JOBS)

# Seconds of fuzzing per target, and the longest one input may take.
FUZZ_SECONDS ?= 20
FUZZ_INPUT_SECONDS ?= 5

fuzz-smoke: test-deps
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUILL_FUZZ=ON
	cmake --build $(FUZZ_BUILD) -j $(JOBS)
	@# Each target starts from its seeds in fuzz/corpus/<name> (read only); what it finds
	@# goes to a scratch corpus in the build folder, and an input that fails it to
	@# $(FUZZ_BUILD)/<target>-crash-... (or -timeout-, -leak-). One input that runs longer than
	@# FUZZ_INPUT_SECONDS fails the run, so that a cost that grows faster than the input shows.
	@# fuzz/corpus/<name>.options, when present, adds libFuzzer flags for that target alone
	@# (one or more a line; lines starting with # are comments).
	@for f in $(FUZZ_BUILD)/fuzz/fuzz_*; do \
	  [ -x "$$f" ] || continue; echo "== $$f"; \
	  name=$$(basename $$f); seeds=fuzz/corpus/$${name#fuzz_}; \
	  [ -d "$$seeds" ] || { echo "no seeds in $$seeds"; seeds=; }; \
	  options=$$(grep -v '^#' fuzz/corpus/$${name#fuzz_}.options 2>/dev/null); \
	  mkdir -p $(FUZZ_BUILD)/corpus/$$name; \
	  $(LSAN_SETTINGS) "$$f" -max_total_time=$(FUZZ_SECONDS) -timeout=$(FUZZ_INPUT_SECONDS) \
	    -artifact_prefix=$(FUZZ_BUILD)/$$name- -print_final_stats=0 $$options \
	    $(FUZZ_BUILD)/corpus/$$name $$seeds >/dev/null 2>$(FUZZ_BUILD)/$$name.log \
	    || { cat $(FUZZ_BUILD)/$$name.log; exit 1; }; \
	done

bench:
	@scripts/install-deps.sh bench
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release
	cmake --build $(BUILD) -j $(JOBS)
	@for b in $$(cat $(BUILD)/bench/programs.txt); do \
	  echo "== $$b"; $(BUILD)/bench/$$b || exit 1; \
	done

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD)
