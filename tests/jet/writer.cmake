# Tests of the writing half; included by tests/jet/CMakeLists.txt.
target_sources(jet_tests PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/column_rules_test.cc
  ${CMAKE_CURRENT_LIST_DIR}/create_command_test.cc
  ${CMAKE_CURRENT_LIST_DIR}/create_database_test.cc
  ${CMAKE_CURRENT_LIST_DIR}/relationships_test.cc
  ${CMAKE_CURRENT_LIST_DIR}/database_writer_test.cc
  ${CMAKE_CURRENT_LIST_DIR}/fixture_rebuild_test.cc
  ${CMAKE_CURRENT_LIST_DIR}/index_key_test.cc
  ${CMAKE_CURRENT_LIST_DIR}/integrity_test.cc
  ${CMAKE_CURRENT_LIST_DIR}/row_reader_test.cc
  ${CMAKE_CURRENT_LIST_DIR}/row_writer_test.cc
  ${CMAKE_SOURCE_DIR}/jet/tool/check_command.cc
  ${CMAKE_SOURCE_DIR}/jet/tool/command.cc
  ${CMAKE_SOURCE_DIR}/jet/tool/create_command.cc
)

# Files written through every write path, checked by jet4lint, mdbtools,
# mdb-reader and `mdb check` (exit 77 = a checker is missing: skipped).
add_executable(jet_write_sample ${CMAKE_CURRENT_LIST_DIR}/write_sample_main.cc)
target_link_libraries(jet_write_sample jet)
# Not for a cross build: the script starts the programs directly.
find_package(Python3 COMPONENTS Interpreter)
if(Python3_FOUND AND NOT CMAKE_CROSSCOMPILING)
  add_test(NAME jet_write_check
           COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_LIST_DIR}/write_check.py
                   --sample $<TARGET_FILE:jet_write_sample>
                   --mdb $<TARGET_FILE:mdb>
                   --lint=${CORVANE_JET4LINT}
                   --tools ${CMAKE_SOURCE_DIR}/tests/tools
                   --cases ${CORVANE_TEST_DATA_DIR}/cases)
  set_tests_properties(jet_write_check PROPERTIES SKIP_RETURN_CODE 77
                       TIMEOUT 600)
endif()

# Every fixture with one table dropped, re-created and refilled (the test
# keeps its files), checked by jet4lint and mdbtools.
if(Python3_FOUND AND NOT CMAKE_CROSSCOMPILING)
  add_test(NAME jet_fixture_rebuild_check
           COMMAND ${Python3_EXECUTABLE}
                   ${CMAKE_CURRENT_LIST_DIR}/fixture_rebuild_check.py
                   --tests $<TARGET_FILE:jet_tests>
                   --lint=${CORVANE_JET4LINT})
  set_tests_properties(jet_fixture_rebuild_check PROPERTIES
                       SKIP_RETURN_CODE 77 TIMEOUT 600)
endif()

# Commits killed at many moments (and a full disk): every commit is all or
# nothing; see commit_crash_test.py.
add_executable(jet_commit_driver ${CMAKE_CURRENT_LIST_DIR}/commit_driver_main.cc)
target_link_libraries(jet_commit_driver jet)
if(Python3_FOUND AND NOT CMAKE_CROSSCOMPILING AND NOT WIN32)
  add_test(NAME jet_commit_crash
           COMMAND ${Python3_EXECUTABLE}
                   ${CMAKE_CURRENT_LIST_DIR}/commit_crash_test.py
                   --driver $<TARGET_FILE:jet_commit_driver>
                   --mdb $<TARGET_FILE:mdb>
                   --sample ${CORVANE_TEST_DATA_DIR}/plant/template.mdb
                   "--lint=${CORVANE_JET4LINT}")
  set_tests_properties(jet_commit_crash PROPERTIES SKIP_RETURN_CODE 77
                       TIMEOUT 600)
endif()
