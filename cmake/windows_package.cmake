# The zip of a Windows build: tovrik.exe and a README.txt for Windows users,
# in a folder named after the version and the build's word size.
install(TARGETS tovrik RUNTIME DESTINATION .)
set(readme ${CMAKE_BINARY_DIR}/package/README.txt)
# Notepad of the era shows a file with bare line feeds on one line.
configure_file(${CMAKE_SOURCE_DIR}/packaging/windows/README.txt ${readme} @ONLY NEWLINE_STYLE CRLF)
install(FILES ${readme} DESTINATION .)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME tovrik)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(CPACK_SYSTEM_NAME win64)
else()
  set(CPACK_SYSTEM_NAME win32)
endif()
include(CPack)
