# Release packages made by CPack from the native build folder (run `cpack` there):
#   Morvelline-<version>-linux-x86_64.tar.gz  Morvelline.so, Morvelline.clap, Morvelline.lv2/,
#                                             Morvelline_Data/, morvelline-render, morvelline
#                                             with its menu entry and icon
#   Morvelline-<version>-windows.zip          both DLLs, both .clap files, Morvelline_Data/,
#                                             INSTALL-Windows.txt
# The ZIP is made only when the folders of both Windows cross builds are known.
set(MORVELLINE_DATA_SOURCES ${PROJECT_SOURCE_DIR}/resources)

function(morvelline_install_data component)
    install(FILES ${MORVELLINE_DATA_SOURCES}/presets/Default.hfb
            DESTINATION Morvelline_Data/Presets COMPONENT ${component})
    if(EXISTS ${MORVELLINE_DATA_SOURCES}/themes)
        install(DIRECTORY ${MORVELLINE_DATA_SOURCES}/themes/
                DESTINATION Morvelline_Data/Themes COMPONENT ${component})
    endif()
    install(DIRECTORY ${MORVELLINE_DATA_SOURCES}/tunings/
            DESTINATION Morvelline_Data/Tunings COMPONENT ${component})
endfunction()

install(TARGETS Morvelline MorvellineClap LIBRARY DESTINATION . COMPONENT linux)
# The LV2 bundle as the build lays it out: both modules and the generated Turtle files.
install(DIRECTORY ${MORVELLINE_LV2_BUNDLE} DESTINATION . COMPONENT linux USE_SOURCE_PERMISSIONS)
if(TARGET morvelline-render)
    install(TARGETS morvelline-render RUNTIME DESTINATION . COMPONENT linux)
endif()
# The program beside the plug-ins, so it finds the same data folder.
if(TARGET morvelline)
    install(TARGETS morvelline RUNTIME DESTINATION . COMPONENT linux)
    install(FILES ${PROJECT_SOURCE_DIR}/apps/standalone/morvelline.desktop ${PROJECT_SOURCE_DIR}/apps/standalone/morvelline.svg
            DESTINATION . COMPONENT linux)
endif()
morvelline_install_data(linux)
set(package_components linux)

if(MORVELLINE_WIN64_DIR AND MORVELLINE_WIN32_DIR)
    install(FILES ${MORVELLINE_WIN64_DIR}/Morvelline_64.dll ${MORVELLINE_WIN32_DIR}/Morvelline_32.dll
                  ${MORVELLINE_WIN64_DIR}/Morvelline_64.clap ${MORVELLINE_WIN32_DIR}/Morvelline_32.clap
            DESTINATION . COMPONENT windows)
    install(FILES ${MORVELLINE_DATA_SOURCES}/packaging/INSTALL-Windows.txt DESTINATION . COMPONENT windows)
    morvelline_install_data(windows)
    list(APPEND package_components windows)
    set(CPACK_GENERATOR TGZ ZIP)
else()
    set(CPACK_GENERATOR TGZ)
endif()

set(CPACK_PACKAGE_NAME Morvelline)
set(CPACK_PACKAGE_VENDOR "Hollowfen Software")
set(CPACK_PACKAGE_VERSION 1.3.2)
set(CPACK_ARCHIVE_COMPONENT_INSTALL ON)
set(CPACK_COMPONENT_INCLUDE_TOPLEVEL_DIRECTORY ON)
set(CPACK_PACKAGE_FILE_NAME Morvelline) # the folder inside both packages
set(CPACK_COMPONENTS_ALL ${package_components})
set(CPACK_ARCHIVE_LINUX_FILE_NAME Morvelline-${CPACK_PACKAGE_VERSION}-linux-x86_64)
set(CPACK_ARCHIVE_WINDOWS_FILE_NAME Morvelline-${CPACK_PACKAGE_VERSION}-windows)
# Each generator packs one component: the tar.gz the Linux files, the ZIP the Windows ones.
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_CURRENT_LIST_DIR}/PackagingPerGenerator.cmake)
include(CPack)
