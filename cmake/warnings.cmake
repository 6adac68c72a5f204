# SPDX-License-Identifier: MIT
# zonedesk_warnings: the house warning set, as errors when ZONEDESK_WERROR is on.
add_library(zonedesk_warnings INTERFACE)
target_compile_options(zonedesk_warnings INTERFACE
    -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wsign-conversion -Wold-style-cast -Wcast-qual -Wundef
    -Wnon-virtual-dtor -Woverloaded-virtual -Wnull-dereference -Wformat=2 -Wimplicit-fallthrough)
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    target_compile_options(zonedesk_warnings INTERFACE
        -Wduplicated-cond -Wduplicated-branches -Wlogical-op -Wuseless-cast -Wsuggest-override)
endif()
if(ZONEDESK_WERROR)
    target_compile_options(zonedesk_warnings INTERFACE -Werror)
endif()
