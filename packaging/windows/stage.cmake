# packaging/windows/stage.cmake
# cmake -D OUT=DIR -D STRIP=... -D PROGRAM=... -D HELPER=... -D README=... -D LICENCE=...
#       -D PARTS=... -D ICON=... -P stage.cmake
# Puts into DIR what the Windows packages carry: zapfile.exe and remove_verb.dll stripped of
# their symbols, README.txt and LICENSE.txt (the licence, then the licences of the parts
# the programs carry) with Windows' line ends, and the icon.
file(MAKE_DIRECTORY ${OUT})
foreach(pair "${PROGRAM}|zapfile.exe" "${HELPER}|remove_verb.dll")
  string(REPLACE "|" ";" pair "${pair}")
  list(GET pair 0 from)
  list(GET pair 1 to)
  execute_process(COMMAND ${STRIP} --strip-all -o ${OUT}/${to} ${from} RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "cannot strip ${from}")
  endif()
endforeach()

function(write_crlf to)
  set(text "")
  foreach(from ${ARGN})
    file(READ ${from} part)
    string(APPEND text "${part}")
  endforeach()
  string(REPLACE "\r\n" "\n" text "${text}")
  string(REPLACE "\n" "\r\n" text "${text}")
  file(WRITE ${OUT}/${to} "${text}")
endfunction()
write_crlf(README.txt ${README})
write_crlf(LICENSE.txt ${LICENCE} ${PARTS})
configure_file(${ICON} ${OUT}/zapfile.ico COPYONLY)
