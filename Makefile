# Thin wrapper over the CMake presets (tsan runs the thread, condition,
# stream, logging, plug-in and monitor tests only). The two commands of the README:
#   make demo   runs the agent on the bundled demo machine
#   make check  installs what a fresh machine lacks, builds every preset and
#               runs every test
PRESETS := default asan tsan win32

# make fuzz runs each fuzz target for FUZZ_SECONDS (fuzz/run.sh); check runs
# them briefly, after the presets' tests.
FUZZ_SECONDS ?= 60
FUZZ_SMOKE_SECONDS ?= 10

.PHONY: demo check deps build test bench clean fuzz build-fuzz $(addprefix build-,$(PRESETS)) $(addprefix test-,$(PRESETS))

# The demo needs only a compiler and CMake: no test frameworks, no Ninja. It
# runs on a fresh copy of the demo machine, which the agent writes into.
demo:
	@mkdir -p build
	@(cmake -S . -B build/demo -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVDI_BUILD_TESTS=OFF -DVDI_BUILD_BENCH=OFF && \
	  cmake --build build/demo --target secsvc-host vdiendpoint -j 2) > build/demo-build.log 2>&1 || \
	  { cat build/demo-build.log; exit 1; }
	@./examples/run-demo.sh build/demo/bin/secsvc-host build/demo-machine

check: deps
	$(MAKE) build test
	$(MAKE) fuzz FUZZ_SECONDS=$(FUZZ_SMOKE_SECONDS)

deps:
	./.ci/install-deps

build: $(addprefix build-,$(PRESETS))

test: $(addprefix test-,$(PRESETS))

$(addprefix build-,$(PRESETS)): build-%:
	cmake --preset $* >/dev/null
	cmake --build --preset $*

$(addprefix test-,$(PRESETS)): test-%: build-%
	ctest --preset $*

build-fuzz:
	cmake --preset fuzz >/dev/null
	cmake --build --preset fuzz --target fuzz_targets

fuzz: build-fuzz
	./fuzz/run.sh build/fuzz $(FUZZ_SECONDS) $(FUZZ_TARGETS)

bench: build-default
	./build/default/bin/vdi_bench

clean:
	rm -rf build
