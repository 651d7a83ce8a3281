# The two commands of the README, and the benchmark and fuzzing targets.
#   make run    installs what is missing, builds, starts the editor in maps/
#   make test   installs what is missing, builds, runs every test
# Everything is built under build/; maps/ holds the user's maps and is never
# deleted by any target here.

BUILD   := build
RUN_DIR := maps
DEBS    := cmake g++ make pkg-config liballegro4-dev libgtest-dev libbenchmark-dev \
           libboost-graph-dev xvfb xdotool x11-utils imagemagick python3 \
           clang-14 libclang-rt-14-dev \
           libosmium2-dev libbz2-dev zlib1g-dev libexpat1-dev nlohmann-json3-dev
SUDO    := $(shell [ "$$(id -u)" = 0 ] || echo sudo)

.PHONY: deps configure build run test bench bench-scale data samples fuzz assets screenshot clean

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

# The benchmarks also run on real roads: Gothenburg imported in metres.
# Google Benchmark programs report the best of interleaved rounds, and also
# write them as JSON to build/bench/NAME.json for `make plots`; the others
# take their own rounds and ignore the flags.
BENCH_FLAGS := --benchmark_repetitions=10 --benchmark_enable_random_interleaving=true \
               --benchmark_report_aggregates_only=true
BENCH_OUT := $(BUILD)/bench
bench: configure data
	cmake --build $(BUILD) -j2 --target benches mapedit-import
	@start=$$(date +%s%N); \
	$(BUILD)/mapedit-import --fit off --roads all $(DATA)/large-network.json $(DATA)/gothenburg.txt || exit 1; \
	echo "import of large-network.json: $$(( ($$(date +%s%N) - start) / 1000000 )) ms"
	mkdir -p $(BENCH_OUT)
	for b in $(BUILD)/*_bench; do \
	  echo "== $$b"; out=$(BENCH_OUT)/$$(basename $$b).json; rm -f $$out.part; \
	  MAPEDIT_REAL_MAP=$(DATA)/gothenburg.txt $$b $(BENCH_FLAGS) \
	    --benchmark_out=$$out.part --benchmark_out_format=json || exit 1; \
	  if [ -f $$out.part ]; then mv $$out.part $$out; fi; \
	done

# The plots in docs/ from the JSON of the last `make bench`, drawn by
# Debian's python3, whatever python3 comes first on the PATH.
.PHONY: plots
plots:
	@$(MAKE) --no-print-directory deps DEBS=python3-matplotlib
	/usr/bin/python3 tools/plots.py $(BENCH_OUT) docs

# Real OpenStreetMap data ((c) OpenStreetMap contributors, ODbL) into build/data/,
# never committed: West Oakland from Debian's python-osmnx-doc, Gothenburg's
# highways from the npm package geojson-path-finder 2.1.0.
DATA    := $(BUILD)/data
OAKLAND := /usr/share/doc/python-osmnx-doc/examples/tests/input_data/West-Oakland.osm.bz2
data:
	@$(MAKE) --no-print-directory deps DEBS="python-osmnx-doc $$(command -v npm >/dev/null || echo npm)"
	mkdir -p $(DATA)
	cp $(OAKLAND) $(DATA)/
	cd $(DATA) && [ -f large-network.json ] || { \
	  [ -f geojson-path-finder-2.1.0.tgz ] || npm pack geojson-path-finder@2.1.0; \
	  tar xzf geojson-path-finder-2.1.0.tgz --strip-components=2 package/test/large-network.json; }

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

# The file reader's fuzzer, for FUZZ_SECONDS. On a crash, sanitizer report,
# leak or hang it stops with the report and keeps the input in build-fuzz/;
# such an input belongs in tests/fuzz/regressions/.
FUZZ_SECONDS ?= 300
FUZZ_SOURCES := network/network.cpp network/map_file.cpp tests/fuzz/load_map_fuzz.cpp
build-fuzz/load_map_fuzz: $(FUZZ_SOURCES) network/network.h network/map_file.h tests/network/lists.h
	mkdir -p build-fuzz/corpus
	clang++-14 -std=c++17 -O1 -g -Wall -Wextra -I. -Itests -fsanitize=fuzzer,address,undefined \
	  -fno-sanitize-recover=all $(FUZZ_SOURCES) -o $@

# It works in a scratch folder, on tmpfs where there is one: every save syncs.
fuzz: deps build-fuzz/load_map_fuzz
	d=$$(mktemp -d /dev/shm/mapedit-fuzz.XXXXXX 2>/dev/null || mktemp -d); cd $$d && \
	  $(CURDIR)/build-fuzz/load_map_fuzz -max_total_time=$(FUZZ_SECONDS) -timeout=10 \
	  -max_len=4096 -artifact_prefix=$(CURDIR)/build-fuzz/ $(CURDIR)/build-fuzz/corpus \
	  $(CURDIR)/tests/fuzz/seeds $(CURDIR)/tests/fuzz/regressions $(CURDIR)/samples; \
	  rc=$$?; rm -rf $$d; exit $$rc

# The sample made from real data ((c) OpenStreetMap contributors, ODbL; the
# README credits it): West Oakland's streets, cut to the middle of
# the extract where the junctions stand far enough apart to click.
samples: build data
	$(BUILD)/mapedit-import --fit on --roads residential,unclassified,secondary,service \
	    --bbox -122.3026,37.8064,-122.2990,37.8088 $(DATA)/West-Oakland.osm.bz2 samples/oakland.txt

# Redraws the images in assets/ and the README's screenshot.
assets: build
	$(BUILD)/make_assets assets

screenshot: build
	bash tools/screenshot.sh

clean:
	rm -rf $(BUILD) build-fuzz
