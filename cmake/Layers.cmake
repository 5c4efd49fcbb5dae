# The layers' headers: each library sees its own headers and those of the libraries it links (a PUBLIC
# include folder goes on with the link), and no others, so that an include of a layer above, or
# beside, fails to compile as its use would fail to link.
#
#   quorlane_layer_headers(<target> <folder> [EXCLUDE <subfolder>...])
#
# gives <target> the include folder build/layers/<target>, which holds <folder> (a folder of the
# source tree, "platform/qt") as a link, so that its headers are included by their paths from the
# project root ("platform/qt/Colors.h") as before. With EXCLUDE the folder is made of links to its
# entries but the subfolders named (those of another library).

include_guard(GLOBAL)

function(quorlane_layer_headers target folder)
    cmake_parse_arguments(PARSE_ARGV 2 arg "" "" "EXCLUDE")
    set(root ${PROJECT_BINARY_DIR}/layers/${target})
    set(source ${PROJECT_SOURCE_DIR}/${folder})
    file(REMOVE_RECURSE ${root})
    if(arg_EXCLUDE)
        file(MAKE_DIRECTORY ${root}/${folder})
        # Looked at again at every build: a new header is linked without a change to a CMakeLists.txt.
        file(GLOB entries CONFIGURE_DEPENDS RELATIVE ${source} ${source}/*)
        foreach(entry ${entries})
            if(NOT entry IN_LIST arg_EXCLUDE)
                file(CREATE_LINK ${source}/${entry} ${root}/${folder}/${entry} SYMBOLIC)
            endif()
        endforeach()
    else()
        get_filename_component(parent ${root}/${folder} DIRECTORY)
        file(MAKE_DIRECTORY ${parent})
        file(CREATE_LINK ${source} ${root}/${folder} SYMBOLIC)
    endif()
    get_target_property(type ${target} TYPE)
    if(type STREQUAL "INTERFACE_LIBRARY")
        target_include_directories(${target} INTERFACE ${root})
    else()
        target_include_directories(${target} PUBLIC ${root})
    endif()
endfunction()
