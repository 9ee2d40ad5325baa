# content_archive(): the rule that checks a content folder and builds
# resources.db and resources.zip from it with the content tool built for this
# machine (see tools/content/ and content/README.md).
#
#   content_archive(TOOL command... CONTENT folder OUT folder
#                   [RELEASE] [SIGNING_KEY pem] [DEPENDS targets-or-files...])
#
# The tool checks before it builds (as a release with RELEASE: no plain
# http:// or loopback installer addresses, every installer digest, no empty
# text) and names in a depfile every file that it read, the installers whose
# digests the content carries included: replacing an installer outside the
# content folder builds the archive again with the new digest.
function(content_archive)
    cmake_parse_arguments(PARSE_ARGV 0 arg "RELEASE" "CONTENT;OUT;SIGNING_KEY" "TOOL;DEPENDS")
    set(mode "")
    if(arg_RELEASE)
        set(mode --release)
    endif()
    set(depfile "${arg_OUT}/resources.zip.d")
    file(MAKE_DIRECTORY "${arg_OUT}")
    add_custom_command(OUTPUT "${arg_OUT}/resources.zip" "${arg_OUT}/resources.db"
        COMMAND ${arg_TOOL} build ${mode} --depfile "${depfile}" "${arg_CONTENT}" "${arg_OUT}" ${arg_SIGNING_KEY}
        DEPFILE "${depfile}"
        DEPENDS ${arg_DEPENDS} ${arg_SIGNING_KEY}
        COMMENT "Checking ${arg_CONTENT} and building resources.zip from it"
        VERBATIM)
endfunction()

# content_demo_folder(SOURCE folder FOLDER folder INSTALLER file): the demo
# content as the build packs it. The demo serves the build's signed
# recorder.exe as both installers, so FOLDER links SOURCE's files and gives
# the digests of INSTALLER (a path relative to FOLDER) for resources 300 and
# 301, in place of any digests.tsv that SOURCE holds: that one names a
# release's installers, which the demo does not serve.
function(content_demo_folder)
    cmake_parse_arguments(PARSE_ARGV 0 arg "" "SOURCE;FOLDER;INSTALLER" "")
    file(REMOVE_RECURSE "${arg_FOLDER}")
    file(MAKE_DIRECTORY "${arg_FOLDER}")
    file(GLOB entries RELATIVE "${arg_SOURCE}" "${arg_SOURCE}/*")
    list(REMOVE_ITEM entries digests.tsv CMakeLists.txt)
    foreach(entry IN LISTS entries)
        file(CREATE_LINK "${arg_SOURCE}/${entry}" "${arg_FOLDER}/${entry}" SYMBOLIC)
    endforeach()
    file(WRITE "${arg_FOLDER}/digests.tsv"
        "# Written by the build: the demo installers are its signed recorder.exe.\n"
        "language\tid\tfile\n0\t300\t${arg_INSTALLER}\n0\t301\t${arg_INSTALLER}\n")
endfunction()

# content_build_archive(SOURCE folder DEMO_SOURCE folder TOOL command... OUT folder [SIGNING_KEY pem]
#                       [DEPENDS ...] [DEMO_FOLDER folder DEMO_INSTALLER file DEMO_DEPENDS ...]):
# the archive of a build's content folder SOURCE. The demo's (SOURCE is
# DEMO_SOURCE, both real paths) is packed as content_demo_folder() makes it
# in DEMO_FOLDER, with the digests of DEMO_INSTALLER (made by DEMO_DEPENDS);
# any other folder is a release's, used as it is and checked as a release.
function(content_build_archive)
    cmake_parse_arguments(PARSE_ARGV 0 arg "" "SOURCE;DEMO_SOURCE;OUT;SIGNING_KEY;DEMO_FOLDER;DEMO_INSTALLER"
                          "TOOL;DEPENDS;DEMO_DEPENDS")
    if(arg_SOURCE STREQUAL arg_DEMO_SOURCE)
        content_demo_folder(SOURCE "${arg_SOURCE}" FOLDER "${arg_DEMO_FOLDER}" INSTALLER "${arg_DEMO_INSTALLER}")
        content_archive(TOOL ${arg_TOOL} CONTENT "${arg_DEMO_FOLDER}" OUT "${arg_OUT}" SIGNING_KEY ${arg_SIGNING_KEY}
                        DEPENDS ${arg_DEPENDS} ${arg_DEMO_DEPENDS})
    else()
        content_archive(RELEASE TOOL ${arg_TOOL} CONTENT "${arg_SOURCE}" OUT "${arg_OUT}"
                        SIGNING_KEY ${arg_SIGNING_KEY} DEPENDS ${arg_DEPENDS})
    endif()
endfunction()
