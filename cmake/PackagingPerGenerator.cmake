# Read by CPack once per generator.
if(CPACK_GENERATOR STREQUAL "ZIP")
    set(CPACK_COMPONENTS_ALL windows)
else()
    set(CPACK_COMPONENTS_ALL linux)
endif()
