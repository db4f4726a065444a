# The two commands of the README: `make demo` and `make test`. Both set up everything they
# need on a fresh Debian machine (packages, configure, build).
BUILD ?= build
SAN_BUILD ?= build-sanitize
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 60
JOBS ?= $(shell nproc)
WERROR ?= $(if $(CI),ON,OFF)
CMAKE_FLAGS ?=

.PHONY: deps configure build demo test test-sanitize fuzz bench docs format format-check clean

deps:
	@scripts/install-deps.sh

configure: deps
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORTIVA_WERROR=$(WERROR) $(CMAKE_FLAGS)

build: configure
	cmake --build $(BUILD) -j $(JOBS)

demo: build
	$(BUILD)/bin/ortiva demo

test: build
	scripts/run-tests.sh $(BUILD)

test-sanitize: deps
	cmake -S . -B $(SAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DORTIVA_WERROR=$(WERROR) \
	    -DORTIVA_SANITIZE=address,undefined -DORTIVA_BUILD_BENCH=OFF $(CMAKE_FLAGS)
	cmake --build $(SAN_BUILD) -j $(JOBS)
	scripts/run-tests.sh $(SAN_BUILD)

# Every libFuzzer target for FUZZ_SECONDS each; fails on any finding (see fuzz/run.sh).
fuzz: deps
	CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	    -DORTIVA_WERROR=$(WERROR) -DORTIVA_FUZZ=ON
	cmake --build $(FUZZ_BUILD) -j $(JOBS) --target fuzzers
	fuzz/run.sh $(FUZZ_BUILD) $(FUZZ_SECONDS)

bench: build
	scripts/run-bench.sh $(BUILD)

# The API reference from the public headers (needs Debian's doxygen); fails on an
# undocumented public member.
docs:
	@scripts/install-deps.sh --docs
	mkdir -p $(BUILD)/docs
	ORTIVA_DOCS_DIR=$(BUILD)/docs \
	ORTIVA_VERSION=$$(sed -n 's/^#define ORTIVA_VERSION_[MP][AI][JNT][OC][RH]* //p' include/ortiva/version.hpp | paste -sd.) \
	    doxygen docs/Doxyfile
	@echo "API reference: $(BUILD)/docs/html/index.html"

format:
	git ls-files '*.cpp' '*.hpp' '*.c' '*.h' | xargs clang-format -i

format-check:
	git ls-files '*.cpp' '*.hpp' '*.c' '*.h' | xargs clang-format --dry-run --Werror

clean:
	rm -rf $(BUILD) $(SAN_BUILD) $(FUZZ_BUILD)
