# What an installation holds beyond the programs (each installed by its own folder): the
# libraries with their CMake package and pkg-config file, the manual pages, the shell
# completion, and the Debian packages CPack makes of it all.
include(CMakePackageConfigHelpers)

get_property(velmar_libraries GLOBAL PROPERTY VELMAR_INSTALLED_LIBRARIES)
get_property(velmar_x11_modules GLOBAL PROPERTY VELMAR_X11_MODULES)
set(velmar_cmake_dir ${CMAKE_INSTALL_LIBDIR}/cmake/Velmar)

install(TARGETS ${velmar_libraries} EXPORT VelmarTargets ARCHIVE COMPONENT dev)
install(EXPORT VelmarTargets NAMESPACE Velmar:: DESTINATION ${velmar_cmake_dir} COMPONENT dev)

# The config file finds what the libraries link, as the build found it.
string(REPLACE ";" " " VELMAR_X11_MODULES_TEXT "${velmar_x11_modules}")
configure_package_config_file(${CMAKE_SOURCE_DIR}/packaging/VelmarConfig.cmake.in
    ${CMAKE_BINARY_DIR}/packaging/VelmarConfig.cmake INSTALL_DESTINATION ${velmar_cmake_dir})
write_basic_package_version_file(${CMAKE_BINARY_DIR}/packaging/VelmarConfigVersion.cmake
    COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_BINARY_DIR}/packaging/VelmarConfig.cmake
              ${CMAKE_BINARY_DIR}/packaging/VelmarConfigVersion.cmake
        DESTINATION ${velmar_cmake_dir} COMPONENT dev)

# velmar_static_link_order(<out> <targets>...): the static libraries among the targets and
# what they link, each before every library it uses, as a linker reads them.
function(velmar_static_link_order out)
    set(order "")
    set(visited "")
    macro(velmar_visit target)
        if(NOT "${target}" IN_LIST visited)
            list(APPEND visited ${target})
            get_target_property(links ${target} LINK_LIBRARIES)
            get_target_property(interface ${target} INTERFACE_LINK_LIBRARIES)
            foreach(link IN LISTS links interface)
                if(TARGET ${link} AND "${link}" IN_LIST velmar_libraries)
                    velmar_visit(${link})
                endif()
            endforeach()
            get_target_property(type ${target} TYPE)
            if(type STREQUAL "STATIC_LIBRARY")
                list(PREPEND order ${target})
            endif()
        endif()
    endmacro()
    foreach(target ${ARGN})
        velmar_visit(${target})
    endforeach()
    set(${out} ${order} PARENT_SCOPE)
endfunction()

# The pkg-config file: the static libraries in link order, then what they use. The libraries
# are static, so their users link what they use: those modules are Requires, not
# Requires.private (which only --static would follow, and then into libcurl's own static
# dependencies, which a system without their static libraries cannot link).
velmar_static_link_order(velmar_link_order MiscUtilities)
set(VELMAR_PC_LIBS "")
foreach(library ${velmar_link_order})
    string(APPEND VELMAR_PC_LIBS " -l${library}")
endforeach()
set(VELMAR_PC_REQUIRES "sqlite3 libcurl ${VELMAR_X11_MODULES_TEXT}")
set(VELMAR_PC_LIBS_PRIVATE "-pthread")
foreach(library ${CMAKE_DL_LIBS})
    string(APPEND VELMAR_PC_LIBS_PRIVATE " -l${library}")
endforeach()
if(VELMAR_SANITIZE)
    string(APPEND VELMAR_PC_LIBS_PRIVATE " -fsanitize=address,undefined")
endif()
file(RELATIVE_PATH VELMAR_PC_TO_PREFIX ${CMAKE_INSTALL_FULL_LIBDIR}/pkgconfig ${CMAKE_INSTALL_PREFIX})
string(REGEX REPLACE "/$" "" VELMAR_PC_TO_PREFIX "${VELMAR_PC_TO_PREFIX}")
configure_file(${CMAKE_SOURCE_DIR}/packaging/velmar.pc.in ${CMAKE_BINARY_DIR}/packaging/velmar.pc
               @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/packaging/velmar.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig
        COMPONENT dev)

# Manual pages, compressed as Debian ships them (-n: no name or time, the same bytes each
# build), and bash completion (one script, loaded under each tool's name).
set(velmar_man_pages "")
foreach(page velmar-reg velmar-sc VelmarSetup VelmarConsole)
    set(compressed ${CMAKE_BINARY_DIR}/man/${page}.1.gz)
    add_custom_command(OUTPUT ${compressed}
        COMMAND sh -c "gzip -9nc \"$1\" > \"$2\"" sh ${CMAKE_SOURCE_DIR}/man/${page}.1 ${compressed}
        DEPENDS ${CMAKE_SOURCE_DIR}/man/${page}.1 VERBATIM)
    list(APPEND velmar_man_pages ${compressed})
endforeach()
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/man)
add_custom_target(velmar_man_pages ALL DEPENDS ${velmar_man_pages})
install(FILES ${velmar_man_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
foreach(tool velmar-reg velmar-sc)
    install(FILES ${CMAKE_SOURCE_DIR}/packaging/velmar.bash-completion
            DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME ${tool})
endforeach()

# Debian packages: velmar (the programs) and velmar-dev (the libraries for the suite's
# programs). Installed below /usr, whatever CMAKE_INSTALL_PREFIX says: the programs find their
# libexec folder from their own place.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME velmar)
set(CPACK_PACKAGE_VENDOR "Velmar developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Velmar installation and support layer")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL runtime dev)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Velmar developers")
set(CPACK_DEBIAN_RUNTIME_PACKAGE_NAME velmar)
set(CPACK_DEBIAN_RUNTIME_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_RUNTIME_PACKAGE_SHLIBDEPS ON)
set(CPACK_COMPONENT_RUNTIME_DESCRIPTION
    "Velmar installation and support layer\n VelmarSetup, the setup bootstrapper of the Velmar suite; VelmarConsole; the\n registry tool velmar-reg and the service tool velmar-sc, with manual pages and\n bash completion.")
set(CPACK_DEBIAN_DEV_PACKAGE_NAME velmar-dev)
set(CPACK_DEBIAN_DEV_PACKAGE_SECTION libdevel)
set(CPACK_COMPONENT_DEV_DESCRIPTION
    "Velmar utility library for the suite's programs\n The static library MiscUtilities and the platform libraries it stands on, their\n headers, the CMake package Velmar and the pkg-config file velmar.")
# A static link needs the development files of what the libraries use.
set(velmar_dev_depends "libsqlite3-dev" "libcurl4-openssl-dev | libcurl-dev")
set(velmar_x11_dev_packages x11=libx11-dev xft=libxft-dev xrender=libxrender-dev
    fontconfig=libfontconfig-dev xrandr=libxrandr-dev)
foreach(module ${velmar_x11_modules})
    foreach(pair ${velmar_x11_dev_packages})
        if(pair MATCHES "^${module}=(.*)$")
            list(APPEND velmar_dev_depends ${CMAKE_MATCH_1})
        endif()
    endforeach()
endforeach()
list(JOIN velmar_dev_depends ", " CPACK_DEBIAN_DEV_PACKAGE_DEPENDS)
include(CPack)
