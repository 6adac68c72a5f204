# SPDX-License-Identifier: MIT
# zonedesk_qt_defaults: Qt's safety macros for the GUI targets. The casts matter most: every GBK
# text must become a QString through an explicit conversion.
add_library(zonedesk_qt_defaults INTERFACE)
target_compile_definitions(zonedesk_qt_defaults INTERFACE
    QT_NO_CAST_FROM_ASCII QT_NO_CAST_TO_ASCII QT_NO_CAST_FROM_BYTEARRAY
    QT_NO_NARROWING_CONVERSIONS_IN_CONNECT QT_USE_QSTRINGBUILDER QT_STRICT_ITERATORS
    QT_DISABLE_DEPRECATED_BEFORE=0x060400)
