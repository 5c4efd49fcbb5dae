# Two commands for a newcomer: `make run` and `make test`. Both install missing Debian packages first.
BUILD_DIR    ?= build
BENCH_DIR    ?= build-release
BUILD_TYPE   ?= RelWithDebInfo
CTEST_FLAGS  ?= --output-on-failure -j2

.PHONY: all deps configure build test run bench check-full format format-check clean

all: build

deps:
	@./scripts/install-deps

$(BUILD_DIR)/build.ninja:
	cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE)

configure: deps $(BUILD_DIR)/build.ninja

build: configure
	cmake --build $(BUILD_DIR)

test: build
	cd $(BUILD_DIR) && ctest $(CTEST_FLAGS)

# The decimal differential test with its full case count (about two minutes on two cores).
check-full: build
	python3 tests/decimal/bcd_differential.py --cli $(BUILD_DIR)/cli/quorcalc-cli --cases 1000000

# Until the calculator window exists, `make run` starts the engine's display-free driver on the
# terminal: one key per line.
run: build
	./$(BUILD_DIR)/cli/quorcalc-cli keys

bench: deps
	cmake -S . -B $(BENCH_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUORLANE_BUILD_TESTS=OFF
	cmake --build $(BENCH_DIR) --target bench_decimal
	./$(BENCH_DIR)/bench/bench_decimal

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

format-check:
	./scripts/check-format

clean:
	rm -rf $(BUILD_DIR) $(BENCH_DIR)
