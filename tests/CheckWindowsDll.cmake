# Checks that a Windows DLL stands alone: it imports only Windows system DLLs
# (no MinGW run-time such as libstdc++, libgcc or libwinpthread) and carries
# the version resource VERSION.
# Run as: cmake -DLIBRARY=... -DOBJDUMP=... -DWINDRES=... -DVERSION=3.2.6.9 -P CheckWindowsDll.cmake
cmake_minimum_required(VERSION 3.25)
set(system_dlls
  kernel32.dll user32.dll gdi32.dll advapi32.dll shell32.dll ole32.dll oleaut32.dll
  msvcrt.dll ntdll.dll ws2_32.dll comdlg32.dll version.dll winmm.dll shlwapi.dll)

execute_process(COMMAND ${OBJDUMP} -p "${LIBRARY}" OUTPUT_VARIABLE dump RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "cannot read the imports of ${LIBRARY}")
endif()
string(REGEX MATCHALL "DLL Name: [^\n]+" rows "${dump}")
set(foreign "")
foreach(row IN LISTS rows)
  string(REGEX REPLACE "DLL Name: *" "" name "${row}")
  string(STRIP "${name}" name)
  string(TOLOWER "${name}" lower)
  if(NOT lower IN_LIST system_dlls)
    list(APPEND foreign "${name}")
  endif()
endforeach()
if(NOT rows)
  message(FATAL_ERROR "${LIBRARY} imports nothing: not a DLL built by this tree?")
endif()
if(foreign)
  message(FATAL_ERROR "${LIBRARY} imports DLLs that Windows does not ship: ${foreign}")
endif()

execute_process(COMMAND ${WINDRES} -i "${LIBRARY}" -O rc OUTPUT_VARIABLE resources RESULT_VARIABLE rc)
string(REPLACE "." ", " numbers "${VERSION}")
foreach(field IN ITEMS FILEVERSION PRODUCTVERSION)
  if(NOT rc EQUAL 0 OR NOT resources MATCHES " ${field} ${numbers}\n")
    message(FATAL_ERROR "${LIBRARY} lacks the ${field} ${VERSION} resource")
  endif()
endforeach()
foreach(field IN ITEMS FileVersion ProductVersion)
  if(NOT resources MATCHES "VALUE \"${field}\", \"${VERSION}\"")
    message(FATAL_ERROR "${LIBRARY} lacks the ${field} text ${VERSION}")
  endif()
endforeach()
list(LENGTH rows count)
message(STATUS "${count} imported DLLs, all of Windows; version ${VERSION}")
