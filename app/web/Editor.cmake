# The level editor's page: the map parser, level codes and solver as one module of their own,
# without ASYNCIFY or threads, used by the page itself and, for proofs, by a Web Worker.
add_executable(foldbot_tools ${CMAKE_CURRENT_LIST_DIR}/EditorTools.cpp)
target_link_libraries(foldbot_tools PRIVATE board content)
target_include_directories(foldbot_tools PRIVATE ${PROJECT_SOURCE_DIR})
# The search is the engine's step run millions of times, as on the desktop.
target_compile_options(foldbot_tools PRIVATE -O3)
set_target_properties(foldbot_tools PROPERTIES OUTPUT_NAME tools SUFFIX ".js")
target_link_options(foldbot_tools PRIVATE
  -O3
  -sMODULARIZE=1
  -sEXPORT_NAME=FoldbotTools
  -sENVIRONMENT=web,worker
  -sALLOW_MEMORY_GROWTH=1
  # A 32-bit address space; the worker sizes each search to fit well inside it.
  -sMAXIMUM_MEMORY=2GB
  -sEXPORTED_FUNCTIONS=_toolsRead,_toolsDecode,_toolsDemo,_toolsProve,_toolsHint
  -sEXPORTED_RUNTIME_METHODS=ccall)
foreach(page editor.html editor.js prove-worker.js)
  configure_file(${CMAKE_CURRENT_LIST_DIR}/${page} ${CMAKE_BINARY_DIR}/${page} COPYONLY)
endforeach()
