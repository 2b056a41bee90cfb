# packaging/deb_staged.cmake
# Run by cpack once the files are staged, before it builds the Debian package: does what
# Debian's own packaging tools would. The binaries are stripped as dh_strip strips them (the
# compiler's notes too), the Debian changelog, which only the package carries, joins the
# README and the copyright file, and lintian learns why the programs are not position-
# independent.
set(root ${CPACK_TEMPORARY_DIRECTORY}${CPACK_PACKAGING_INSTALL_PREFIX})
file(GLOB programs ${root}/bin/*)
file(GLOB modules ${root}/lib/zapfile/*.so)
function(zapfile_strip)
  execute_process(COMMAND ${CPACK_ZAPFILE_STRIP} --remove-section=.comment --remove-section=.note
                          ${ARGN}
                  RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "cannot strip ${ARGN}")
  endif()
endfunction()
zapfile_strip(${programs})
zapfile_strip(--strip-unneeded ${modules})
file(COPY ${CPACK_ZAPFILE_CHANGELOG} DESTINATION ${root}/share/doc/zapfile
     FILE_PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
file(MAKE_DIRECTORY ${root}/share/lintian/overrides)
configure_file(${CPACK_ZAPFILE_LINTIAN_OVERRIDES} ${root}/share/lintian/overrides/zapfile COPYONLY)
file(CHMOD ${root}/share/lintian/overrides/zapfile PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
