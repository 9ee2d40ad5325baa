# Reproducible outputs: two builds of the same commit, in any folders and at
# any time, give the same bytes (tools/build/check-reproducible.sh checks it).
#
# The one date that outputs carry (the archive's entries, the signing time)
# is the commit's, or SOURCE_DATE_EPOCH when the environment sets it: the
# reproducible-builds convention, in seconds since 1970 (UTC).

if(DEFINED ENV{SOURCE_DATE_EPOCH})
    set(source_date_epoch "$ENV{SOURCE_DATE_EPOCH}")
else()
    execute_process(COMMAND git -C "${CMAKE_SOURCE_DIR}" log -1 --format=%ct
        OUTPUT_VARIABLE source_date_epoch OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
endif()
if(NOT source_date_epoch MATCHES "^[0-9]+$")
    message(FATAL_ERROR "No date for the build's outputs: set SOURCE_DATE_EPOCH (seconds since 1970) "
                        "when building outside a git checkout.")
endif()
# Kept in the cache, so that tools/build/check-reproducible.sh builds another
# copy with the date that this build used.
set(SETUP_SOURCE_DATE_EPOCH "${source_date_epoch}" CACHE INTERNAL "Date of the build's outputs")

# Neither the source folder nor the build folder reaches the objects
# (__FILE__, debug information): the later (more specific) map wins.
add_compile_options("$<$<COMPILE_LANGUAGE:C,CXX>:-ffile-prefix-map=${CMAKE_SOURCE_DIR}/=>"
                    "$<$<COMPILE_LANGUAGE:C,CXX>:-ffile-prefix-map=${CMAKE_BINARY_DIR}/=>")
# No link time in the executables' headers.
add_link_options(-Wl,--no-insert-timestamp)
