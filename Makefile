# Quorvel: the two commands of the README, and a few helpers around them.
#   make test   install what is missing, check formatting, build with ASan + UBSan (the benchmarks too), run
#               every test
#   make run    build the demo's programs (RelWithDebInfo, in build/run) and start the desktop program on
#               its demo environment
#   make bench  optimised build of the benchmarks (see bench/README.md)
#   make format format every C and C++ file with the repository's .clang-format

JOBS      ?= $(shell nproc)
TEST_DIR  ?= build/sanitize
RUN_DIR   ?= build/run
BENCH_DIR ?= build/release
WERROR    := $(if $(CI),ON,OFF)

# Paths below the checkout are hashed relative to it, so other checkouts hit the same ccache entries.
export CCACHE_BASEDIR := $(CURDIR)

.PHONY: all deps check-format test build-test run build-run bench clean format

all: build-run

deps:
	@bash scripts/install-deps.sh

check-format: deps
	@bash scripts/check-format.sh

# The benchmarks are built (not run) with the tests, so that one that no longer compiles fails here.
build-test: deps
	cmake -S . -B $(TEST_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQVL_SANITIZE=ON -DQVL_WERROR=$(WERROR) \
	  -DQVL_BENCH=ON
	cmake --build $(TEST_DIR) -j $(JOBS)

test: check-format build-test
	cd $(TEST_DIR) && ctest -j $(JOBS) --output-on-failure --timeout 600

# The programs the demo runs and installs, no test programs or benchmarks: quorvel brings qvllib.so,
# libnnotes.so and libqvl_os.so with it, nsfadmin builds the demo databases. An optimised build with debug
# information, without the fuzzing instrumentation a clang build would otherwise get.
RUN_TARGETS := quorvel nsfadmin

build-run: deps
	cmake -S . -B $(RUN_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQVL_FUZZ=OFF
	cmake --build $(RUN_DIR) -j $(JOBS) --target $(RUN_TARGETS)

run: build-run
	@bash scripts/run-demo.sh $(RUN_DIR)/out

bench: deps
	cmake -S . -B $(BENCH_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Release -DQVL_BENCH=ON
	cmake --build $(BENCH_DIR) -j $(JOBS)
	@echo "benchmarks built in $(BENCH_DIR)/out; see bench/README.md"

# Every benchmark, three passes, one markdown table on stdout (bench/run-all --help for the counts).
.PHONY: bench-report
bench-report: bench
	@python3 bench/run-all --out $(BENCH_DIR)/out

format:
	git ls-files '*.c' '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf build
