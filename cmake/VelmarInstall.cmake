# What an installation holds beyond the programs (each installed by its own folder): the
# libraries with their CMake package and pkg-config file, the manual pages, the shell
# completion, and the Debian packages CPack makes of it all.
include(CMakePackageConfigHelpers)

get_property(velmar_libraries GLOBAL PROPERTY VELMAR_INSTALLED_LIBRARIES)
get_property(velmar_x11_modules GLOBAL PROPERTY VELMAR_X11_MODULES)
set(velmar_cmake_dir ${CMAKE_INSTALL_LIBDIR}/cmake/Velmar)

install(TARGETS ${velmar_libraries} EXPORT VelmarTargets ARCHIVE COMPONENT dev)
install(EXPORT VelmarTargets NAMESPACE Velmar:: DESTINATION ${velmar_cmake_dir} COMPONENT dev)
