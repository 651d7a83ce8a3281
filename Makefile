# The two commands of the README, and the benchmark and fuzzing targets.
#   make run    installs what is missing, builds, starts the editor in maps/
#   make test   installs what is missing, builds, runs every test
# Everything is built under build/; maps/ holds the user's maps and is never
# deleted by any target here.

BUILD   := build
RUN_DIR := maps
DEBS    := cmake g++ make pkg-config liballegro4-dev libgtest-dev libbenchmark-dev \
           libboost-graph-dev xvfb xdotool x11-utils imagemagick python3 \
           clang-14 libclang-rt-14-dev
SUDO    := $(shell [ "$$(id -u)" = 0 ] || echo sudo)

.PHONY: deps configure build run test bench bench-scale fuzz fuzz-smoke assets screenshot clean

deps:
	@missing=""; \
	for p in $(DEBS); do \
	  dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q "ok installed" || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  echo "installing:$$missing"; \
	  $(SUDO) apt-get update -q && \
	  DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y -q $$missing; \
	fi

configure: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo

build: configure
	cmake --build $(BUILD) -j2

run: build
	mkdir -p $(RUN_DIR)
	cp assets/myska1.bmp assets/myska2.bmp assets/backgrnd.tga $(RUN_DIR)/
	for f in samples/*.txt; do [ -e "$$f" ] && cp -n "$$f" $(RUN_DIR)/ || true; done
	cd $(RUN_DIR) && ../$(BUILD)/mapedit

test: build
	cd $(BUILD) && ctest --output-on-failure -j2
	$(MAKE) fuzz-smoke

bench: configure
	cmake --build $(BUILD) -j2 --target benches
	for b in $(BUILD)/*_bench; do echo "== $$b"; $$b || exit 1; done

# A USA-sized map (24M nodes, 58M roads, a 1.6 GB file kept under build/data/
# once made): load, solve and save it, with each step's time and the peak
# memory. Checks disk and memory first rather than failing half way.
SCALE_MAP := $(BUILD)/data/usa-scale.txt
SCALE_DISK_KB := 1700000
SCALE_MEM_KB := 7500000
bench-scale: configure
	cmake --build $(BUILD) -j2 --target bench_scale
	@mkdir -p $(dir $(SCALE_MAP))
	@need=$$(( $(SCALE_DISK_KB) * ($$([ -f $(SCALE_MAP) ] && echo 1 || echo 2)) )); \
	free=$$(df -Pk $(dir $(SCALE_MAP)) | awk 'NR == 2 { print $$4 }'); \
	if [ "$$free" -lt "$$need" ]; then \
	  echo "bench-scale: needs $$((need / 1000)) MB free on $(dir $(SCALE_MAP)) (the map and its saved copy), has $$((free / 1000)) MB"; \
	  exit 1; fi; \
	mem=$$(awk '/^MemAvailable:/ { print $$2 }' /proc/meminfo); \
	if [ "$$mem" -lt $(SCALE_MEM_KB) ]; then \
	  echo "bench-scale: needs $$(($(SCALE_MEM_KB) / 1000)) MB of available memory, has $$((mem / 1000)) MB"; \
	  exit 1; fi
	@if [ ! -f $(SCALE_MAP) ]; then \
	  echo "generating $(SCALE_MAP)"; \
	  $(BUILD)/bench_scale generate $(SCALE_MAP).part && mv $(SCALE_MAP).part $(SCALE_MAP); fi
	$(BUILD)/bench_scale run $(SCALE_MAP)

# The file reader's fuzzer: `make fuzz` for a longer run, `make test` for a short one.
FUZZ_SECONDS ?= 300
fuzz: deps
	bash tests/fuzz/run.sh $(FUZZ_SECONDS)

fuzz-smoke: deps
	@if [ -f tests/fuzz/run.sh ]; then bash tests/fuzz/run.sh 30; fi

# Redraws the images in assets/ and the README's screenshot.
assets: build
	$(BUILD)/make_assets assets

screenshot: build
	bash tools/screenshot.sh

clean:
	rm -rf $(BUILD) build-fuzz
