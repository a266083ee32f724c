#ifndef JET_INDEX_KEY_H_
#define JET_INDEX_KEY_H_

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace jet {

// Index keys as Jet 4 stores them in index entries: for every key column a
// flag byte (present/NULL, ascending/descending) followed by the value encoded
// so that comparing the bytes as unsigned gives the column order. Text uses the
// "General (legacy)" collation, sort order 1033 version 0.
using IndexKey = std::vector<uint8_t>;

void AppendNullKey(bool ascending, IndexKey& key);
void AppendByteKey(uint8_t value, bool ascending, IndexKey& key);
void AppendIntegerKey(int16_t value, bool ascending, IndexKey& key);
void AppendLongKey(int32_t value, bool ascending, IndexKey& key);
void AppendCurrencyKey(int64_t scaled, bool ascending, IndexKey& key);
void AppendDoubleKey(double value, bool ascending, IndexKey& key);
void AppendSingleKey(float value, bool ascending, IndexKey& key);
// Booleans are never NULL in Jet: the value lives in the null mask.
void AppendBooleanKey(bool value, bool ascending, IndexKey& key);

// Text (and Memo, whose key covers its first 255 characters): every UTF-16
// text has a key (general_legacy_codes.h).
void AppendTextKey(std::u16string_view text, bool ascending, IndexKey& key);
// Binary: the value's bytes. GUID and Decimal take the bytes as a row stores
// them (16 and 17 bytes).
void AppendBinaryKey(std::span<const uint8_t> bytes, bool ascending,
                     IndexKey& key);
void AppendGuidKey(std::span<const uint8_t, 16> stored, bool ascending,
                   IndexKey& key);
void AppendDecimalKey(std::span<const uint8_t, 17> stored, bool ascending,
                      IndexKey& key);

// Convenience for single-column keys.
IndexKey LongKey(int32_t value);
IndexKey TextKey(std::u16string_view text);

// Unsigned lexicographic order of keys (a prefix sorts first).
int CompareKeys(const uint8_t* a, size_t a_len, const uint8_t* b, size_t b_len);

}  // namespace jet

#endif  // JET_INDEX_KEY_H_
