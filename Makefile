# Quorvel: the two commands of the README, and a few helpers around them.
#   make test   install what is missing, build with ASan + UBSan, run every test
#   make run    build and start the desktop program on its demo environment
#   make bench  optimised build of the benchmarks (see bench/README.md)

JOBS      ?= $(shell nproc)
TEST_DIR  ?= build/sanitize
RUN_DIR   ?= build/debug
BENCH_DIR ?= build/release
WERROR    := $(if $(CI),ON,OFF)

# Paths below the checkout are hashed relative to it, so other checkouts hit the same ccache entries.
export CCACHE_BASEDIR := $(CURDIR)

.PHONY: all deps test build-test run build-run bench clean format

all: build-run

deps:
	@bash scripts/install-deps.sh

build-test: deps
	cmake -S . -B $(TEST_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQVL_SANITIZE=ON -DQVL_WERROR=$(WERROR)
	cmake --build $(TEST_DIR) -j $(JOBS)

test: build-test
	cd $(TEST_DIR) && ctest -j $(JOBS) --output-on-failure --timeout 600

build-run: deps
	cmake -S . -B $(RUN_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(RUN_DIR) -j $(JOBS)

run: build-run
	@bash scripts/run-demo.sh $(RUN_DIR)/out

bench: deps
	cmake -S . -B $(BENCH_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Release -DQVL_BENCH=ON
	cmake --build $(BENCH_DIR) -j $(JOBS)
	@echo "benchmarks built in $(BENCH_DIR)/out; see bench/README.md"

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf build
