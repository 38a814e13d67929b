# Thin wrapper over the CMake presets (tsan runs the thread, condition,
# stream and logging tests only). The two commands of the README:
#   make demo   runs the agent on the bundled demo machine
#   make check  installs what a fresh machine lacks, builds every preset and
#               runs every test
PRESETS := default asan tsan win32

.PHONY: demo check deps build test bench clean $(addprefix build-,$(PRESETS)) $(addprefix test-,$(PRESETS))

# The demo needs only a compiler and CMake: no test frameworks, no Ninja. It
# runs on a fresh copy of the demo machine, which the agent writes into.
demo:
	cmake -S . -B build/demo -DCMAKE_BUILD_TYPE=Release -DVDI_BUILD_TESTS=OFF -DVDI_BUILD_BENCH=OFF >/dev/null
	cmake --build build/demo --target secsvc-host vdiendpoint -j 2
	rm -rf build/demo-machine && mkdir -p build && cp -r examples/demo build/demo-machine
	./build/demo/bin/secsvc-host --machine build/demo-machine --run-for 2
	@echo
	@echo "The agent's log, build/demo-machine/drive_c/TEMP/Tarnwell/vdi.log:"
	@cat build/demo-machine/drive_c/TEMP/Tarnwell/vdi.log

check: deps
	$(MAKE) build test

deps:
	./.ci/install-deps

build: $(addprefix build-,$(PRESETS))

test: $(addprefix test-,$(PRESETS))

$(addprefix build-,$(PRESETS)): build-%:
	cmake --preset $* >/dev/null
	cmake --build --preset $*

$(addprefix test-,$(PRESETS)): test-%: build-%
	ctest --preset $*

bench: build-default
	./build/default/bin/vdi_bench

clean:
	rm -rf build
