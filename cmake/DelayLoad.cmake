# System DLLs that Windows does not keep among its "known DLLs" are loaded
# on first use (delay loading), never at start-up: the loader resolves a
# start-up import before the program runs and searches the program's own
# folder first, where a planted DLL of the same name would win. By the first
# call, the entry point has restricted the search to System32 (see
# app/EntryPoint.cpp). Each DLL here is a target `delayed_NAME` to link in
# place of NAME. Known DLLs that the program first needs after its first
# window (pictures, links, launching, paths) are delay-loaded too: loading
# them, and what they load in turn, would delay the first window.

find_program(SETUP_DLLTOOL ${MINGW_TRIPLET}-dlltool REQUIRED)
set(SETUP_DELAY_LOADED_DLLS bcrypt comctl32 oleaut32 shell32 shlwapi urlmon version wininet)

set(delay_load_dir "${CMAKE_BINARY_DIR}/delay-load")
file(MAKE_DIRECTORY "${delay_load_dir}")
foreach(name IN LISTS SETUP_DELAY_LOADED_DLLS)
    find_library(SETUP_IMPORT_LIBRARY_${name} NAMES lib${name}.a REQUIRED)
    set(delay_library "${delay_load_dir}/lib${name}-delay.a")
    execute_process(
        COMMAND bash "${CMAKE_SOURCE_DIR}/tools/build/delay-import-lib.sh" "${SETUP_DLLTOOL}" "${CMAKE_NM}"
                "${name}.dll" "${SETUP_IMPORT_LIBRARY_${name}}" "${delay_library}"
        RESULT_VARIABLE delay_result)
    if(NOT delay_result EQUAL 0)
        message(FATAL_ERROR "Could not make the delay-load import library of ${name}.dll.")
    endif()
    add_library(delayed_${name} STATIC IMPORTED GLOBAL)
    set_target_properties(delayed_${name} PROPERTIES IMPORTED_LOCATION "${delay_library}")
endforeach()
