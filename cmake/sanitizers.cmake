# SPDX-License-Identifier: MIT
# Turns ZONEDESK_SANITIZE (e.g. "address,undefined" or "thread") into flags on every target.
set(ZONEDESK_SANITIZE "" CACHE STRING "Sanitizers to build with: address,undefined or thread")
if(ZONEDESK_SANITIZE)
    if(ZONEDESK_SANITIZE MATCHES "thread" AND ZONEDESK_SANITIZE MATCHES "address")
        message(FATAL_ERROR "ThreadSanitizer cannot be combined with AddressSanitizer")
    endif()
    add_compile_options(-fsanitize=${ZONEDESK_SANITIZE} -fno-omit-frame-pointer -fno-sanitize-recover=all)
    add_link_options(-fsanitize=${ZONEDESK_SANITIZE})
endif()
