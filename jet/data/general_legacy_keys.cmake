# Compiles general_legacy_keys.bin (the General sort order's character codes,
# see NOTICE.md) into the jet library as the byte array that
# jet/general_legacy_codes.cc decodes. The source file is generated at
# configure time; changing the .bin file re-runs the configuration.
set(_glk_bin ${CMAKE_CURRENT_LIST_DIR}/general_legacy_keys.bin)
set(_glk_cc ${CMAKE_CURRENT_BINARY_DIR}/general_legacy_keys_data.cc)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${_glk_bin})
file(READ ${_glk_bin} _glk_hex HEX)
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," _glk_bytes "${_glk_hex}")
string(REPEAT "0x..," 16 _glk_line)
string(REGEX REPLACE "(${_glk_line})" "\\1\n" _glk_bytes "${_glk_bytes}")
file(CONFIGURE OUTPUT ${_glk_cc} @ONLY CONTENT
"// Generated from jet/data/general_legacy_keys.bin; do not edit.
#include <cstddef>
#include <cstdint>

namespace jet {
extern const uint8_t kGeneralLegacyKeyData[] = {
@_glk_bytes@
};
extern const size_t kGeneralLegacyKeyDataSize = sizeof(kGeneralLegacyKeyData);
}  // namespace jet
")
target_sources(jet PRIVATE ${_glk_cc}
  ${CMAKE_CURRENT_LIST_DIR}/../general_legacy_codes.cc)
