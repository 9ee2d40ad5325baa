# A release build is small: every user downloads the program before it can
# do anything. Code is optimised for size, unused functions and data are
# dropped at link, and the program itself is optimised across its libraries
# at link (LTO) and stripped.
#
# Only the program is linked with LTO: its libraries carry both LTO data and
# ordinary code ("fat" objects), so the tests and tools link the ordinary
# code as before, without the cost of an LTO link each.

if(CMAKE_BUILD_TYPE STREQUAL "Release")
    set(CMAKE_C_FLAGS_RELEASE "-Os -DNDEBUG")
    set(CMAKE_CXX_FLAGS_RELEASE "-Os -DNDEBUG")
    add_compile_options(-ffunction-sections -fdata-sections)
    # -fno-lto: GCC's linker plugin would otherwise optimise every program
    # that links a fat object; only a target marked SETUP_LTO goes without.
    add_link_options(-Wl,--gc-sections "$<$<NOT:$<BOOL:$<TARGET_PROPERTY:SETUP_LTO>>>:-fno-lto>")
endif()

# The static libraries that `target` links, directly or through others.
function(setup_linked_static_libraries target out)
    set(found "")
    set(pending "${target}")
    while(pending)
        list(POP_FRONT pending current)
        get_target_property(linked ${current} LINK_LIBRARIES)
        get_target_property(interface ${current} INTERFACE_LINK_LIBRARIES)
        foreach(library IN LISTS linked interface)
            if(TARGET ${library} AND NOT library IN_LIST found)
                list(APPEND found ${library})
                list(APPEND pending ${library})
            endif()
        endforeach()
    endwhile()
    set(static "")
    foreach(library IN LISTS found)
        get_target_property(type ${library} TYPE)
        get_target_property(imported ${library} IMPORTED)
        if(type STREQUAL "STATIC_LIBRARY" AND NOT imported)
            list(APPEND static ${library})
        endif()
    endforeach()
    set(${out} "${static}" PARENT_SCOPE)
endfunction()

# Links `target` with LTO over its own code and every static library built
# here that it links, and strips it.
function(setup_optimise_for_size target)
    if(NOT CMAKE_BUILD_TYPE STREQUAL "Release")
        return()
    endif()
    setup_linked_static_libraries(${target} libraries)
    foreach(library IN LISTS libraries)
        target_compile_options(${library} PRIVATE -flto -ffat-lto-objects -fno-declone-ctor-dtor)
    endforeach()
    target_compile_options(${target} PRIVATE -flto -fno-declone-ctor-dtor)
    set_target_properties(${target} PROPERTIES SETUP_LTO ON)
    # At most two jobs: the build machine has two cores. The map file tells
    # what each library adds (bench_footprint sums it up).
    target_link_options(${target} PRIVATE -flto=2 -s "-Wl,-Map=${CMAKE_BINARY_DIR}/${target}.map")
endfunction()
