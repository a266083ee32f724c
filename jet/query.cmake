# Query execution on top of the reading half; included by jet/CMakeLists.txt.
target_sources(jet PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/query_exec.cc
  ${CMAKE_CURRENT_LIST_DIR}/query_key.cc
  ${CMAKE_CURRENT_LIST_DIR}/query_parser.cc
  ${CMAKE_CURRENT_LIST_DIR}/query_table.cc
)
