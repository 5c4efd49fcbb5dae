# The executable's version block: what a Windows build would carry as its version resource.
#
#   include(${PROJECT_SOURCE_DIR}/cmake/VersionResource.cmake)
#   quorlane_embed_version_info(<target>)
#
# builds the host tool quorlane-version-block (once, from platform/version/), runs it to write the
# block from platform/version/ProgramVersion.h, and compiles the generated source into <target>: the
# bytes land in the ELF section ".quorlane_version" (platform/VersionInfo.h), where TStVersionInfo
# finds them at run time. Nothing is patched into the linked file afterwards, so an incremental link,
# strip or install keeps the section. The raw block is left beside the source; the target property
# QUORLANE_VERSION_BLOCK_FILE names it. The `platform` library must be defined first.

include_guard(GLOBAL)

function(quorlane_embed_version_info target)
    if(NOT TARGET ${target})
        message(FATAL_ERROR "quorlane_embed_version_info: no target named ${target}")
    endif()
    if(NOT TARGET quorlane_version_block)
        add_executable(quorlane_version_block
            ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/../platform/version/VersionBlockTool.cpp)
        target_link_libraries(quorlane_version_block PRIVATE platform)
        set_target_properties(quorlane_version_block PROPERTIES OUTPUT_NAME quorlane-version-block)
    endif()

    set(dir ${CMAKE_CURRENT_BINARY_DIR}/${target}_version)
    set(source ${dir}/VersionBlock.cpp)
    set(block ${dir}/VersionBlock.bin)
    add_custom_command(
        OUTPUT ${source} ${block}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${dir}
        COMMAND quorlane_version_block ${block} ${source}
        DEPENDS quorlane_version_block
        COMMENT "Writing the version block of ${target}"
        VERBATIM)
    target_sources(${target} PRIVATE ${source})
    set_target_properties(${target} PROPERTIES QUORLANE_VERSION_BLOCK_FILE ${block})
endfunction()
