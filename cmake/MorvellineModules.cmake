# A plug-in module as hosts load it: named Morvelline (Morvelline_64 / Morvelline_32 on Windows)
# with the given suffix, beside the other plug-in files in the build folder, exporting only what
# the export list names (a .def file on Windows, a version script elsewhere).
function(morvelline_plugin_module target suffix exports_def exports_map)
    set_target_properties(${target} PROPERTIES PREFIX "" SUFFIX ${suffix} OUTPUT_NAME Morvelline
                          LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
    if(WIN32)
        if(CMAKE_SIZEOF_VOID_P EQUAL 8)
            set_target_properties(${target} PROPERTIES OUTPUT_NAME Morvelline_64)
        else()
            set_target_properties(${target} PROPERTIES OUTPUT_NAME Morvelline_32)
        endif()
        target_sources(${target} PRIVATE ${exports_def})
        # A module that hosts can load on a bare Windows: no runtime DLLs of the compiler.
        target_link_options(${target} PRIVATE -static -static-libgcc -static-libstdc++ -s)
    else()
        # The version script also hides what hidden visibility cannot: the standard library's
        # template code that our objects instantiate.
        target_link_options(${target} PRIVATE -Wl,--no-undefined -Wl,--version-script=${exports_map})
        set_target_properties(${target} PROPERTIES LINK_DEPENDS ${exports_map})
    endif()
endfunction()
