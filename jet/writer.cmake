# Writing half of the engine; included by jet/CMakeLists.txt.
target_sources(jet PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/catalog_links.cc
  ${CMAKE_CURRENT_LIST_DIR}/catalog_writer.cc
  ${CMAKE_CURRENT_LIST_DIR}/column_rules.cc
  ${CMAKE_CURRENT_LIST_DIR}/create_database.cc
  ${CMAKE_CURRENT_LIST_DIR}/database_write.cc
  ${CMAKE_CURRENT_LIST_DIR}/relationships.cc
  ${CMAKE_CURRENT_LIST_DIR}/index_key.cc
  ${CMAKE_CURRENT_LIST_DIR}/index_page.cc
  ${CMAKE_CURRENT_LIST_DIR}/integrity.cc
  ${CMAKE_CURRENT_LIST_DIR}/lval_writer.cc
  ${CMAKE_CURRENT_LIST_DIR}/page_allocator.cc
  ${CMAKE_CURRENT_LIST_DIR}/row_writer.cc
  ${CMAKE_CURRENT_LIST_DIR}/tdef_writer.cc
)
include(${CMAKE_CURRENT_LIST_DIR}/data/general_legacy_keys.cmake)

# The writing commands of the mdb tool (they register themselves).
target_sources(mdb PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/tool/check_command.cc
  ${CMAKE_CURRENT_LIST_DIR}/tool/create_command.cc
)
