# Two commands for a newcomer: `make run` and `make test`. Both install missing Debian packages first.
BUILD_DIR    ?= build
BENCH_DIR    ?= build-release
BUILD_TYPE   ?= RelWithDebInfo
CTEST_FLAGS  ?= --output-on-failure -j2

PREFIX       ?= /usr/local

.PHONY: all deps configure build test check-asan run install package cli bench bench-startup check-full fuzz gallery screenshot format format-check clean

all: build

deps:
	@./scripts/install-deps

$(BUILD_DIR)/build.ninja:
	cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE)

configure: deps $(BUILD_DIR)/build.ninja

build: configure
	cmake --build $(BUILD_DIR)

# The real-desktop rig's packages and locales are installed once, before ctest runs the rig tests.
test: build
	./scripts/install-deps --rig
	cd $(BUILD_DIR) && ctest $(CTEST_FLAGS)

# The whole suite built with AddressSanitizer and UndefinedBehaviorSanitizer (any report fails its
# test), the damaged-settings corpus sampled (every ASAN_CORPUS_SAMPLE-th file). CI runs it. The
# test programs run whole (test_*_whole), not one process per case (those are named Suite.Case);
# -O0 without debug information halves the compile time (reports name functions, not lines).
ASAN_DIR           ?= build-asan
ASAN_CORPUS_SAMPLE ?= 5
check-asan: deps
	cmake -S . -B $(ASAN_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Debug "-DCMAKE_CXX_FLAGS_DEBUG=-O0" \
	    -DQUORLANE_SANITIZE=ON -DQUORLANE_BUILD_BENCH=OFF
	cmake --build $(ASAN_DIR)
	cd $(ASAN_DIR) && QUORLANE_CORPUS_SAMPLE=$(ASAN_CORPUS_SAMPLE) ASAN_OPTIONS=detect_leaks=1 \
	    UBSAN_OPTIONS=print_stacktrace=1 ctest $(CTEST_FLAGS) -E '[./]|^(format_check|rig_.*|install_tree|debian_package|desktop_metadata)$$'

# The decimal differential test with its full case count (about two minutes on two cores).
check-full: build
	python3 tests/decimal/bcd_differential.py --cli $(BUILD_DIR)/cli/quorcalc-cli --cases 1000000

# The calculator window: builds only the program (the tests wait for `make test`).
run: configure
	cmake --build $(BUILD_DIR) --target quorcalc
	./$(BUILD_DIR)/app/quorcalc

# Installs the programs, desktop entry, icons, metadata and manual pages under PREFIX
# (make install PREFIX=~/.local; DESTDIR is honoured as well).
install: configure
	cmake --build $(BUILD_DIR) --target quorlane_install_files
	cmake --install $(BUILD_DIR) --prefix $(PREFIX)

# The Debian package, checked with lintian: $(BUILD_DIR)/package/quorlane-calculator_VERSION_ARCH.deb.
package: configure
	cmake --build $(BUILD_DIR) --target quorlane_install_files
	./scripts/make-package $(BUILD_DIR)

# The engine's display-free driver on the terminal: one key per line.
cli: build
	./$(BUILD_DIR)/cli/quorcalc-cli keys

# Every picture-button style in every state, in one PNG.
gallery: build
	cmake --build $(BUILD_DIR) --target button-gallery && QT_QPA_PLATFORM=offscreen ./$(BUILD_DIR)/tools/button-gallery $(BUILD_DIR)/button-gallery.png
	@echo "wrote $(BUILD_DIR)/button-gallery.png"

# Pictures of the real window under Xvfb, into docs/.
screenshot: build
	./scripts/screenshot $(BUILD_DIR) docs

# The benchmarks in CPU time, then the rows stated in instructions under valgrind's callgrind (which
# do not move with the machine's load): a key in the real window on xcb, Copy Tape at 1M lines.
bench: deps
	./scripts/install-deps valgrind
	cmake -S . -B $(BENCH_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUORLANE_BUILD_TESTS=OFF
	cmake --build $(BENCH_DIR) --target bench_decimal bench_keys bench_tape bench_kept_tape bench_replay bench_correct
	./$(BENCH_DIR)/bench/bench_decimal
	./$(BENCH_DIR)/bench/bench_replay
	QT_QPA_PLATFORM=offscreen ./$(BENCH_DIR)/bench/bench_keys
	./$(BENCH_DIR)/bench/bench_tape
	./$(BENCH_DIR)/bench/bench_kept_tape
	./$(BENCH_DIR)/bench/bench_correct
	./bench/instructions.py keys --bench $(BENCH_DIR)/bench/bench_keys
	./bench/instructions.py tape --bench $(BENCH_DIR)/bench/bench_tape

# Start time, CPU and memory of the calculator beside a bare Qt program under Xvfb, then the same
# starts in instructions (to the first map, the first painted frame and idle).
bench-startup: deps
	./scripts/install-deps valgrind
	cmake -S . -B $(BENCH_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUORLANE_BUILD_TESTS=OFF
	cmake --build $(BENCH_DIR) --target quorcalc bare-qt-window
	./bench/startup.py --program $(BENCH_DIR)/app/quorcalc --bare $(BENCH_DIR)/bench/bare-qt-window

# libFuzzer with address and undefined-behaviour sanitizers (clang), FUZZ_SECONDS per target, every
# target (build-fuzz/fuzz-targets.txt) from its seed corpus; what it finds stays in build-fuzz/corpus.
FUZZ_DIR     ?= build-fuzz
FUZZ_SECONDS ?= 60
fuzz: deps
	./scripts/install-deps clang
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUORLANE_FUZZ=ON \
	    -DQUORLANE_BUILD_TESTS=OFF -DQUORLANE_BUILD_BENCH=OFF
	targets=$$(cat $(FUZZ_DIR)/fuzz-targets.txt) && \
	cmake --build $(FUZZ_DIR) --target $$(for t in $$targets; do printf 'fuzz_%s ' $$t; done) && \
	for t in $$targets; do \
	    mkdir -p $(FUZZ_DIR)/corpus/$$t && \
	    ./$(FUZZ_DIR)/fuzz/fuzz_$$t -max_total_time=$(FUZZ_SECONDS) -print_final_stats=1 \
	        $(FUZZ_DIR)/corpus/$$t fuzz/corpus/$$t || exit 1; \
	done

format:
	git ls-files --cached --others --exclude-standard '*.cpp' '*.h' | xargs clang-format -i

format-check:
	./scripts/check-format

clean:
	rm -rf $(BUILD_DIR) $(BENCH_DIR) $(ASAN_DIR) $(FUZZ_DIR)
