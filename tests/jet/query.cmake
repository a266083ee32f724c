# Query tests; included by tests/jet/CMakeLists.txt.
target_sources(jet_tests PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/query_parser_test.cc
)
