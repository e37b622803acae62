# `cmake --install` (make install): the two programs and the desktop data.
include(GNUInstallDirs)
install(TARGETS vistrel tonegrid RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
add_subdirectory(data)
