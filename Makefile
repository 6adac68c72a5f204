# SPDX-License-Identifier: MIT
# Thin wrapper over scripts/install-deps and the CMake presets.
PRESET ?= default
BUILD_DIR := build/$(PRESET)

.PHONY: all deps configure build test cli run clean

all: build

deps:
	scripts/install-deps

configure: deps
	cmake --preset $(PRESET)

build: configure
	cmake --build --preset $(PRESET)

test: build
	ctest --preset $(PRESET)

cli: configure
	cmake --build --preset $(PRESET) --target zonedesk-cli

run: build
	@if [ -x $(BUILD_DIR)/zonedesk ]; then \
		$(BUILD_DIR)/zonedesk; \
	else \
		echo "The desktop program is not built yet: it will open the domain list window here."; \
		echo "Meanwhile the command-line companion is ready: $(BUILD_DIR)/zonedesk-cli --help"; \
	fi

clean:
	rm -rf build
