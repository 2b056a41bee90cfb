# packaging/deb_dependencies.cmake
# Read by cpack before it builds the Debian package: the dependencies as dpkg-shlibdeps finds
# them. The programs' libraries are needed (Depends). The window module's are only recommended
# (Recommends): without GTK the programs delete, ask in the terminal and change the setting;
# only the window and the questions on a desktop need it.
if(NOT CPACK_GENERATOR STREQUAL "DEB")
  return()
endif()

# The dependencies of the ELF files given, as "pkg (>= v), ...".
function(zapfile_shlibdeps out)
  # dpkg-shlibdeps reads the package's name from debian/control in its working folder.
  set(work ${CPACK_PACKAGE_DIRECTORY}/_CPack_Packages/shlibdeps)
  file(WRITE ${work}/debian/control
       "Source: ${CPACK_PACKAGE_NAME}\n\nPackage: ${CPACK_PACKAGE_NAME}\nArchitecture: any\n")
  execute_process(COMMAND dpkg-shlibdeps -O ${ARGN}
                  WORKING_DIRECTORY ${work}
                  OUTPUT_VARIABLE found ERROR_VARIABLE errors RESULT_VARIABLE status
                  OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT status EQUAL 0 OR NOT found MATCHES "^shlibs:Depends=")
    message(FATAL_ERROR "dpkg-shlibdeps failed on ${ARGN}:\n${errors}")
  endif()
  string(REGEX REPLACE "^shlibs:Depends=" "" found "${found}")
  set(${out} "${found}" PARENT_SCOPE)
endfunction()

zapfile_shlibdeps(depends ${CPACK_ZAPFILE_PROGRAMS})
zapfile_shlibdeps(module ${CPACK_ZAPFILE_GTK_MODULE})

# What the programs need already is not repeated among the recommendations.
string(REPLACE ", " ";" needed "${depends}")
string(REPLACE ", " ";" wanted "${module}")
set(recommends)
foreach(item ${wanted})
  string(REGEX REPLACE " .*" "" package "${item}")
  set(known FALSE)
  foreach(have ${needed})
    string(REGEX REPLACE " .*" "" have "${have}")
    if(have STREQUAL package)
      set(known TRUE)
    endif()
  endforeach()
  if(NOT known)
    list(APPEND recommends "${item}")
  endif()
endforeach()
string(REPLACE ";" ", " recommends "${recommends}")

set(CPACK_DEBIAN_PACKAGE_DEPENDS "${depends}")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "${recommends}")
