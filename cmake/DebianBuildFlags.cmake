# The flags Debian builds its packages with: hardened (stack protector, fortified functions, PIE,
# full RELRO, immediate binding) and with the source folder mapped to "." in the binary, so two
# builds from different folders are byte for byte the same. Used by `make package` and `make install`.
option(TAMBERLO_DEBIAN_FLAGS "Compile and link with dpkg-buildflags' flags (hardening=+all)" OFF)
if(NOT TAMBERLO_DEBIAN_FLAGS)
    return()
endif()

# Only the source folder is mapped: a build folder outside it would leave its path in the binary.
cmake_path(IS_PREFIX PROJECT_SOURCE_DIR "${PROJECT_BINARY_DIR}" NORMALIZE build_inside_source)
if(NOT build_inside_source)
    message(WARNING "Build folder outside the source folder: its path stays in the binary's debug data and build ID")
endif()

find_program(TAMBERLO_DPKG_BUILDFLAGS dpkg-buildflags)
if(TAMBERLO_DPKG_BUILDFLAGS)
    foreach(kind CPPFLAGS CXXFLAGS LDFLAGS)
        # Run in the source folder: that is the folder dpkg-buildflags maps to ".".
        execute_process(
            COMMAND ${CMAKE_COMMAND} -E env DEB_BUILD_MAINT_OPTIONS=hardening=+all
                ${TAMBERLO_DPKG_BUILDFLAGS} --get ${kind}
            WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
            OUTPUT_VARIABLE debian_${kind}
            OUTPUT_STRIP_TRAILING_WHITESPACE
            COMMAND_ERROR_IS_FATAL ANY)
    endforeach()
else()
    # What dpkg-buildflags gives on Debian 12 (GCC there makes PIE by default).
    set(debian_CPPFLAGS "-Wdate-time -D_FORTIFY_SOURCE=2")
    set(debian_CXXFLAGS "-g -O2 -ffile-prefix-map=${PROJECT_SOURCE_DIR}=. -fstack-protector-strong -Wformat -Werror=format-security")
    set(debian_LDFLAGS "-Wl,-z,relro -Wl,-z,now")
endif()

# CMake has no CPPFLAGS of its own: they go with the compiler flags, as debhelper does.
string(APPEND CMAKE_CXX_FLAGS " ${debian_CPPFLAGS} ${debian_CXXFLAGS}")
foreach(kind EXE SHARED MODULE)
    string(APPEND CMAKE_${kind}_LINKER_FLAGS " ${debian_LDFLAGS}")
endforeach()
message(STATUS "Debian build flags: ${debian_CPPFLAGS} ${debian_CXXFLAGS} | ${debian_LDFLAGS}")
