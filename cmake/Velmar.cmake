# The project's CMake helpers: the folder walk, include roots and the platform services.
#
# Layering is checked by the compiler: no target has the source tree on its include path.
# Each target sees include roots, build-tree folders of symbolic links that show only what
# it may include under the usual names ("platform/fs/fs.h"). A platform service shows its
# one public header to the targets that link it and its whole folder to its own sources, so
# an include of misc/ from platform/, of another service's internals, or of a service that
# is not a declared dependency does not compile.

#
# Installed, every public header lies below one folder under its usual name, so the targets
# exported for an installation see that folder instead of the include roots.

set(VELMAR_INCLUDE_ROOTS ${CMAKE_BINARY_DIR}/include-roots)
include(GNUInstallDirs)
set(VELMAR_INSTALL_INCLUDEDIR ${CMAKE_INSTALL_INCLUDEDIR}/velmar)

# Adds every direct subfolder of the calling folder that has a CMakeLists.txt.
function(velmar_add_subdirectories)
    file(GLOB children LIST_DIRECTORIES true CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*)
    foreach(child ${children})
        if(IS_DIRECTORY ${child} AND EXISTS ${child}/CMakeLists.txt)
            add_subdirectory(${child})
        endif()
    endforeach()
endfunction()

# velmar_include_root(<root> <path>...): links each project-relative path into root.
function(velmar_include_root root)
    foreach(path ${ARGN})
        get_filename_component(parent ${root}/${path} DIRECTORY)
        file(MAKE_DIRECTORY ${parent})
        file(CREATE_LINK ${CMAKE_SOURCE_DIR}/${path} ${root}/${path} SYMBOLIC)
    endforeach()
endfunction()

# velmar_expose(<target> <PUBLIC|PRIVATE|INTERFACE> <folder>...): lets target (and, for
# PUBLIC and INTERFACE, its users) include the project folders named, whole.
function(velmar_expose target scope)
    string(REPLACE "/" "-" root_name "${ARGN}")
    string(REPLACE ";" "+" root_name "${root_name}")
    set(root ${VELMAR_INCLUDE_ROOTS}/${root_name})
    velmar_include_root(${root} ${ARGN})
    target_include_directories(${target} ${scope} $<BUILD_INTERFACE:${root}>
                               $<INSTALL_INTERFACE:${VELMAR_INSTALL_INCLUDEDIR}>)
endfunction()

# velmar_installed_library(<target> <export name>): a library of the installation, as
# Velmar::<export name>. Its users need C++20 for its headers, and the sanitizers' run-time
# when it was built with them.
function(velmar_installed_library target export_name)
    set_target_properties(${target} PROPERTIES EXPORT_NAME ${export_name})
    target_compile_features(${target} INTERFACE cxx_std_20)
    if(VELMAR_SANITIZE)
        target_link_options(${target} INTERFACE $<INSTALL_INTERFACE:-fsanitize=address,undefined>)
    endif()
    set_property(GLOBAL APPEND PROPERTY VELMAR_INSTALLED_LIBRARIES ${target})
endfunction()

# velmar_platform_service(<name> SOURCES <files...> [DEPENDS <services...>] [LIBS <targets...>])
# The library velmar_<name> of platform/<name>: its users see platform/<name>/<name>.h, its
# own sources the whole folder. velmar_<name>_internal lets the service's tests and fuzz
# targets look inside too.
function(velmar_platform_service name)
    cmake_parse_arguments(ARG "" "" "SOURCES;DEPENDS;LIBS" ${ARGN})
    set(target velmar_${name})
    set(public ${VELMAR_INCLUDE_ROOTS}/platform-${name})
    set(internal ${VELMAR_INCLUDE_ROOTS}/platform-${name}-internal)
    velmar_include_root(${public} platform/${name}/${name}.h)
    velmar_include_root(${internal} platform/${name})
    add_library(${target} STATIC ${ARG_SOURCES})
    target_include_directories(${target} PRIVATE ${internal})
    target_include_directories(${target} PUBLIC $<BUILD_INTERFACE:${public}>
                               $<INSTALL_INTERFACE:${VELMAR_INSTALL_INCLUDEDIR}>)
    foreach(dependency ${ARG_DEPENDS})
        target_link_libraries(${target} PUBLIC velmar_${dependency})
    endforeach()
    target_link_libraries(${target} PUBLIC ${ARG_LIBS})
    add_library(${target}_internal INTERFACE)
    target_include_directories(${target}_internal INTERFACE ${internal})
    target_link_libraries(${target}_internal INTERFACE ${target})
    set_property(GLOBAL APPEND PROPERTY VELMAR_PLATFORM_SERVICES ${target})
    velmar_installed_library(${target} ${name})
    install(FILES ${CMAKE_SOURCE_DIR}/platform/${name}/${name}.h
            DESTINATION ${VELMAR_INSTALL_INCLUDEDIR}/platform/${name} COMPONENT dev)
endfunction()
