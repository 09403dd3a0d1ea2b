# Install rules of the host program and its Debian package: the program,
# its manual page and the README, laid out as Debian places them.
include(GNUInstallDirs)

set(TOVRIK_MANUAL_PAGE ${CMAKE_SOURCE_DIR}/docs/tovrik.1)
set(packaging ${CMAKE_SOURCE_DIR}/packaging/debian)
set(doc_folder ${CMAKE_INSTALL_DATADIR}/doc/tovrik)
set(read_only OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)

# Debian keeps manual pages and changelogs compressed, without the time of
# compression, so that the same sources give the same package.
find_program(TOVRIK_GZIP gzip REQUIRED)
set(compressed)
foreach(source ${TOVRIK_MANUAL_PAGE} ${packaging}/changelog)
  get_filename_component(name ${source} NAME)
  set(output ${CMAKE_BINARY_DIR}/package/${name}.gz)
  add_custom_command(
    OUTPUT ${output}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/package
    COMMAND ${TOVRIK_GZIP} -9nc ${source} > ${output}
    DEPENDS ${source}
    COMMENT "Compressing ${name}")
  list(APPEND compressed ${output})
endforeach()
add_custom_target(tovrik_package_files ALL DEPENDS ${compressed})

install(TARGETS tovrik RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# A stripped install drops the compilers' notes as well, as Debian's own
# packaging does.
install(CODE "
  if(CMAKE_INSTALL_DO_STRIP)
    execute_process(COMMAND \"${CMAKE_STRIP}\" --remove-section=.comment --remove-section=.note
                    \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/tovrik\"
                    COMMAND_ERROR_IS_FATAL ANY)
  endif()")
install(FILES ${CMAKE_BINARY_DIR}/package/tovrik.1.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 PERMISSIONS ${read_only})
install(FILES ${CMAKE_SOURCE_DIR}/README.md ${packaging}/copyright ${CMAKE_BINARY_DIR}/package/changelog.gz
        DESTINATION ${doc_folder} PERMISSIONS ${read_only})
install(FILES ${packaging}/lintian-overrides RENAME tovrik
        DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides PERMISSIONS ${read_only})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tovrik)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(TOVRIK_PACKAGE_MAINTAINER "The tovrik developers <maintainers@tovrik.example>" CACHE STRING
    "The Maintainer field of the Debian package")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${TOVRIK_PACKAGE_MAINTAINER})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The first line is the synopsis; dpkg wants each further line indented,
# which CPack does for every line after the first.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "one-click shortcuts that sign on to America Online
Each copy of tovrik, under a name of its own, starts the America Online
client signed on under a stored screen name and taken straight to a
stored keyword or web address. The first run of a copy asks for them in
a settings sheet, drawn on the terminal or filled in from a script; the
settings are kept in a file of registry editor text. A client installed
in a Wine prefix is started through Wine.")
include(CPack)
