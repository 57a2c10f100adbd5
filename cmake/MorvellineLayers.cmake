# Each folder under src/ is one library. Its public include root holds nothing but a link named
# after the folder, so "engine/Voice.h" resolves only in targets that link the engine library and
# an include in the wrong direction fails to compile.
function(morvelline_include_root target layer)
    set(root ${CMAKE_BINARY_DIR}/include-roots/${layer})
    file(MAKE_DIRECTORY ${root})
    if(NOT EXISTS ${root}/${layer})
        file(CREATE_LINK ${PROJECT_SOURCE_DIR}/src/${layer} ${root}/${layer} SYMBOLIC)
    endif()
    get_target_property(type ${target} TYPE)
    if(type STREQUAL "INTERFACE_LIBRARY")
        target_include_directories(${target} INTERFACE ${root})
    else()
        target_include_directories(${target} PUBLIC ${root})
    endif()
endfunction()

# A static library of the .cpp files directly in the layer's folder.
function(morvelline_add_layer layer)
    file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
    add_library(morvelline_${layer} STATIC ${sources})
    morvelline_include_root(morvelline_${layer} ${layer})
endfunction()
