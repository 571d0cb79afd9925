# cmake -DMODULE=<dll> -DOBJDUMP=<objdump> -DNM=<nm> -DWINDRES=<windres>
#       -DMACHINE=<i386|x86-64> -DHOST_DLL=<name> -DRESOURCES=<list> -P pe_file_check.cmake
#
# Reads a plug-in DLL as a file on the build machine and passes when:
# - it is a PE DLL for MACHINE;
# - it exports exactly `main` and the two decorated entry points;
# - it imports only from HOST_DLL (the stand-in Movara) and Windows' own DLLs,
#   so no runtime DLL (libstdc++, libgcc, winpthread) has to come along;
# - its entry point is the runtime's DllMainCRTStartup;
# - on i386, the exports return with a plain "ret": the caller removes the
#   arguments (the default C calling convention);
# - its resources are exactly RESOURCES, each "type:name:language", e.g.
#   "version:1:9,1;bitmap:2703:9,1".
cmake_minimum_required(VERSION 3.25)
foreach(variable MODULE OBJDUMP NM WINDRES MACHINE HOST_DLL RESOURCES)
  if(NOT DEFINED ${variable})
    message(FATAL_ERROR "pe_file_check.cmake: ${variable} is not set")
  endif()
endforeach()
get_filename_component(module_name ${MODULE} NAME)
set(failures "")

execute_process(COMMAND ${OBJDUMP} -p ${MODULE} OUTPUT_VARIABLE headers RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${OBJDUMP} -p ${MODULE} failed")
endif()

# The file format and the DLL flag.
if(MACHINE STREQUAL "i386")
  set(expected_format "pei-i386")
else()
  set(expected_format "pei-x86-64")
endif()
if(NOT headers MATCHES "file format ${expected_format}\n")
  list(APPEND failures "not a ${expected_format} file")
endif()
if(NOT headers MATCHES "Characteristics [^\n]*\n([^\n]*\n)*[ \t]*DLL\n")
  list(APPEND failures "not marked as a DLL")
endif()

# Exports: the names of the [Ordinal/Name Pointer] table.
string(REGEX MATCH "\\[Ordinal/Name Pointer\\] Table\n([^\n]+\n)*" export_table "${headers}")
string(REGEX MATCHALL "\\[ *[0-9]+\\] [^\n]+" export_lines "${export_table}")
set(exports "")
foreach(line ${export_lines})
  string(REGEX REPLACE "^\\[ *[0-9]+\\] " "" name "${line}")
  list(APPEND exports ${name})
endforeach()
list(SORT exports)
# Movara's long is the C++ long on Windows ('l' in the decorated names).
set(expected_exports _Z23library_user_function_flPvS_S_S_S_S_S_S_
                     _Z30lbf_library_function_default_flPvS_S_S_S_S_S_S_ main)
if(NOT exports STREQUAL expected_exports)
  list(APPEND failures "exports [${exports}], expected exactly [${expected_exports}]")
endif()

# Imports: every "DLL Name:" of the import tables.
string(REGEX MATCHALL "DLL Name: [^\n]+" import_lines "${headers}")
set(imports "")
foreach(line ${import_lines})
  string(REGEX REPLACE "^DLL Name: " "" name "${line}")
  string(TOLOWER "${name}" name)
  list(APPEND imports ${name})
endforeach()
string(TOLOWER "${HOST_DLL}" host_dll)
# Windows' own DLLs that a mingw-w64 program may import from.
set(system_dlls kernel32.dll msvcrt.dll user32.dll advapi32.dll ntdll.dll ucrtbase.dll shell32.dll
                ole32.dll ws2_32.dll)
if(NOT host_dll IN_LIST imports)
  list(APPEND failures "imports nothing from ${HOST_DLL}")
endif()
foreach(name ${imports})
  if(NOT name STREQUAL host_dll AND NOT name IN_LIST system_dlls AND NOT name MATCHES "^api-ms-win-")
    list(APPEND failures "imports from ${name}, which is neither ${HOST_DLL} nor a Windows DLL")
  endif()
endforeach()

# The entry point is the runtime's own DllMainCRTStartup.
string(REGEX MATCH "AddressOfEntryPoint[ \t]+([0-9a-fA-F]+)" entry_line "${headers}")
set(entry_rva ${CMAKE_MATCH_1})
string(REGEX MATCH "ImageBase[ \t]+([0-9a-fA-F]+)" base_line "${headers}")
set(image_base ${CMAKE_MATCH_1})
execute_process(COMMAND ${NM} ${MODULE} OUTPUT_VARIABLE symbols RESULT_VARIABLE status)
if(NOT status EQUAL 0 OR entry_rva STREQUAL "" OR image_base STREQUAL "")
  list(APPEND failures "cannot read the entry point")
else()
  string(REGEX MATCH "([0-9a-fA-F]+) T _?DllMainCRTStartup(@12)?\n" startup_line "${symbols}")
  if(startup_line STREQUAL "")
    list(APPEND failures "has no DllMainCRTStartup")
  else()
    math(EXPR startup_rva "0x${CMAKE_MATCH_1} - 0x${image_base}" OUTPUT_FORMAT HEXADECIMAL)
    math(EXPR entry_rva "0x${entry_rva}" OUTPUT_FORMAT HEXADECIMAL)
    if(NOT startup_rva EQUAL entry_rva)
      list(APPEND failures "entry point ${entry_rva} is not DllMainCRTStartup (${startup_rva})")
    endif()
  endif()
endif()

# The default C calling convention on 32-bit Windows: the caller removes the
# arguments, so no exported function returns with "ret $n" (as a __stdcall one
# does). Read from the disassembly of each export's body.
if(MACHINE STREQUAL "i386")
  execute_process(COMMAND ${OBJDUMP} -d --no-show-raw-insn ${MODULE} OUTPUT_VARIABLE disassembly
                  RESULT_VARIABLE status)
  foreach(name ${expected_exports})
    # The body: from the symbol's label (with a stdcall "@n", if any) to the
    # blank line after it.
    set(body "")
    if(status EQUAL 0)
      string(REGEX MATCH "<_${name}(@[0-9]+)?>:\n[^\n]*(\n[^\n]+)*" body "${disassembly}")
    endif()
    if(NOT body MATCHES "\tret")
      list(APPEND failures "cannot find the returns of ${name} in the disassembly")
    elseif(body MATCHES "\tret +\\$")
      list(APPEND failures "${name} removes its own arguments (ret $n): not the C calling convention")
    endif()
  endforeach()
endif()

# Resources: windres turns the DLL's resource section back into a script in
# which each resource follows a "Type: ... Name: ..." comment and, when the
# language changes, a LANGUAGE statement.
execute_process(COMMAND ${WINDRES} -J coff -O rc -i ${MODULE} OUTPUT_VARIABLE script
                ERROR_VARIABLE script_errors RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  list(APPEND failures "windres cannot read the resources: ${script_errors}")
endif()
set(resources "")
string(REGEX MATCHALL "/\\* Type: [a-z0-9]+[ \t\n]+Name: [^.]+\\.[ \t]*\\*/[ \t\n]*(LANGUAGE [0-9]+, [0-9]+)?"
       entries "${script}")
set(language "0,0")
foreach(entry ${entries})
  string(REGEX MATCH "Type: ([a-z0-9]+)[ \t\n]+Name: ([^.]+)\\." ignored "${entry}")
  set(type ${CMAKE_MATCH_1})
  set(name ${CMAKE_MATCH_2})
  if(entry MATCHES "LANGUAGE ([0-9]+), ([0-9]+)")
    set(language "${CMAKE_MATCH_1},${CMAKE_MATCH_2}")
  endif()
  list(APPEND resources "${type}:${name}:${language}")
endforeach()
list(SORT resources)
set(expected_resources ${RESOURCES})
list(SORT expected_resources)
if(NOT resources STREQUAL expected_resources)
  list(APPEND failures "resources [${resources}], expected exactly [${expected_resources}]")
endif()

# Bitmap 2703: the resource's bytes are the generated picture's, as windres
# prints them (little-endian 32-bit words).
if(DEFINED BITMAP_DIB)
  string(REGEX MATCH "2703 2 /\\* RT_BITMAP \\*/[ \t\n]*BEGIN([^E]*)END" ignored "${script}")
  string(REGEX MATCHALL "0x[0-9a-f]+L" resource_words "${CMAKE_MATCH_1}")
  file(READ ${BITMAP_DIB} dib_hex HEX)
  string(LENGTH "${dib_hex}" dib_hex_length)
  set(dib_words "")
  set(offset 0)
  math(EXPR dib_word_remainder "${dib_hex_length} % 8")
  if(NOT dib_word_remainder EQUAL 0)
    set(dib_hex_length 0)
    set(dib_words "not a whole number of 32-bit words")
  endif()
  while(offset LESS dib_hex_length)
    string(SUBSTRING "${dib_hex}" ${offset} 8 word_hex)
    string(REGEX REPLACE "(..)(..)(..)(..)" "0x\\4\\3\\2\\1" word_hex "${word_hex}")
    math(EXPR word "${word_hex}" OUTPUT_FORMAT HEXADECIMAL)
    list(APPEND dib_words "${word}L")
    math(EXPR offset "${offset} + 8")
  endwhile()
  list(LENGTH resource_words resource_word_count)
  math(EXPR resource_size "${resource_word_count} * 4")
  if(NOT resource_size EQUAL 616)
    list(APPEND failures "bitmap 2703 has ${resource_size} bytes, expected 616")
  elseif(NOT resource_words STREQUAL dib_words)
    list(APPEND failures "bitmap 2703 differs from the generated ${BITMAP_DIB}")
  endif()
endif()

if(failures)
  list(JOIN failures "\n  " failure_text)
  message(FATAL_ERROR "${module_name}:\n  ${failure_text}")
endif()
message(STATUS "${module_name}: ${expected_format} DLL; exports [${exports}]; imports [${imports}]; "
               "entry DllMainCRTStartup; resources [${resources}]")
