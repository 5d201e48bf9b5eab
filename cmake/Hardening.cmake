# SPDX-License-Identifier: GPL-3.0-or-later
# The hardening Debian builds its packages with (dpkg-buildflags with hardening=+all), for every
# target of the project: position-independent executables, the stack protector, checked string
# and memory functions (_FORTIFY_SOURCE, in the optimised builds only, as it needs the optimiser),
# printf-style calls with a variable format and no arguments refused, and a relocation table made
# read-only once every symbol is bound at start (RELRO with BIND_NOW). The sanitizer and fuzzing
# builds keep their own instrumentation instead.
include(CheckPIESupported)

if(NOT VELTRANE_SANITIZE AND NOT VELTRANE_FUZZ)
  check_pie_supported()
  set(CMAKE_POSITION_INDEPENDENT_CODE ON)
  add_compile_options(-fstack-protector-strong -Wformat -Werror=format-security
    "$<$<CONFIG:Release,RelWithDebInfo,MinSizeRel>:-U_FORTIFY_SOURCE;-D_FORTIFY_SOURCE=2>")
  add_link_options(LINKER:-z,relro LINKER:-z,now)
endif()
