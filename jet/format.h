#ifndef JET_FORMAT_H_
#define JET_FORMAT_H_

// Constants of the Jet 4.0 file format, shared by the reading and writing
// halves of the engine. Offsets are in bytes from the start of the structure
// named in the group.

#include <cstdint>

namespace jet::format {

inline constexpr uint32_t kPageSize = 4096;
// Jet 4 files may not exceed 2 GiB.
inline constexpr uint64_t kMaxFileSize = 2ull * 1024 * 1024 * 1024;

// Page type byte (offset 0 of every page).
inline constexpr uint8_t kPageHeader = 0x00;
inline constexpr uint8_t kPageData = 0x01;
inline constexpr uint8_t kPageTdef = 0x02;
inline constexpr uint8_t kPageIndexNode = 0x03;
inline constexpr uint8_t kPageIndexLeaf = 0x04;
inline constexpr uint8_t kPageUsageMap = 0x05;

// Page 0: database header.
inline constexpr uint32_t kHeaderEngineName = 0x04;
inline constexpr char kJetEngineName[] = "Standard Jet DB";  // 15 chars + NUL
inline constexpr char kAceEngineName[] = "Standard ACE DB";
inline constexpr uint32_t kHeaderVersion = 0x14;
inline constexpr uint32_t kVersionJet3 = 0x00;
inline constexpr uint32_t kVersionJet4 = 0x01;
inline constexpr uint32_t kHeaderMaskOffset = 0x18;
inline constexpr uint32_t kHeaderMaskLength = 128;
// RC4 key whose key stream masks the header region.
inline constexpr uint8_t kHeaderMaskKey[4] = {0xC7, 0xDA, 0x39, 0x6B};
inline constexpr uint32_t kHeaderCodePage = 0x3C;
inline constexpr uint32_t kHeaderDbKey = 0x3E;
inline constexpr uint32_t kHeaderPassword = 0x42;
inline constexpr uint32_t kHeaderPasswordLength = 40;
inline constexpr uint32_t kHeaderSortOrder = 0x6E;
inline constexpr uint32_t kHeaderCreationDate = 0x72;
inline constexpr uint16_t kSortGeneralLcid = 0x0409;
// Fields a new file carries as Access writes them (meaning unknown).
inline constexpr uint32_t kHeaderField6A = 0x6A;      // u32 0x21AA
inline constexpr uint32_t kHeaderField98 = 0x98;      // u32 0x0654
inline constexpr uint32_t kHeaderVersionText = 0x9C;  // "4.0" and NUL
// A table of 256 u16 entries (0x0101, then 0x0100) every Access file carries.
inline constexpr uint32_t kHeaderTable = 0xE00;
static_assert(kHeaderMaskOffset + kHeaderMaskLength <= kHeaderField98);
static_assert(kHeaderTable + 256 * 2 <= kPageSize);

// Data page header (type 0x01; also long-value and usage-map row pages).
inline constexpr uint32_t kDataFreeSpace = 2;
inline constexpr uint32_t kDataOwner = 4;
inline constexpr uint32_t kDataRowCount = 12;
inline constexpr uint32_t kDataRowTable = 14;
inline constexpr uint16_t kDataInitialFreeSpace = 4082;
inline constexpr uint32_t kMaxRowsPerPage = 255;
inline constexpr uint16_t kRowOffsetMask = 0x1FFF;
inline constexpr uint16_t kRowDeleted = 0x8000;
inline constexpr uint16_t kRowOverflow = 0x4000;
inline constexpr uint32_t kMaxRowSize = 4060;
// Owner field of long-value pages: "LVAL".
inline constexpr uint32_t kLvalOwner = 0x4C41564C;

// Global usage map: page 1, row 0. Catalog TDEFs.
inline constexpr uint32_t kGlobalMapPage = 1;
inline constexpr uint32_t kCatalogTdefPage = 2;  // MSysObjects
inline constexpr uint32_t kAcesTdefPage = 3;     // MSysACEs
// The other fixed pages of a new database (Access's layout): the TDEFs of
// MSysQueries and MSysRelationships, the page holding the usage-map rows of
// the four core tables, the index roots of the core tables.
inline constexpr uint32_t kQueriesTdefPage = 4;
inline constexpr uint32_t kRelationshipsTdefPage = 5;
inline constexpr uint32_t kCoreMapPage = 6;
inline constexpr uint32_t kCoreIndexRoots[] = {7, 8, 9, 10, 11, 12, 13};
inline constexpr uint32_t kCorePageCount = 14;  // pages 0-13
static_assert(kCoreIndexRoots[6] + 1 == kCorePageCount);
// Pages 0-2 (header, global map, catalog TDEF) are never allocated or freed.
inline constexpr uint32_t kFirstAllocatablePage = 3;

// Usage maps (stored as rows).
inline constexpr uint8_t kMapInline = 0x00;
inline constexpr uint8_t kMapReference = 0x01;
inline constexpr uint32_t kMapInlineStart = 1;  // u32 start page
inline constexpr uint32_t kMapInlineBits = 5;   // bitmap follows
inline constexpr uint32_t kMapReferencePages = 1;
inline constexpr uint32_t kMapPageBits = 4;  // bitmap offset on a 0x05 page
inline constexpr uint32_t kPagesPerMapPage = (kPageSize - kMapPageBits) * 8;
inline constexpr uint32_t kMapRowLength = 69;  // what a writer creates

// Index pages (types 0x03 node, 0x04 leaf). Entries are packed from
// kIndexEntries on; bit n of the bitmap marks the end of an entry at byte n
// of the entry area; entries after the first drop the prefix they share with
// it.
inline constexpr uint32_t kIndexFreeSpace = 2;  // u16: entry bytes left
inline constexpr uint32_t kIndexOwner = 4;      // u32: TDEF page
inline constexpr uint32_t kIndexPrevPage = 12;
inline constexpr uint32_t kIndexNextPage = 16;
inline constexpr uint32_t kIndexTailPage = 20;      // nodes: last child
inline constexpr uint32_t kIndexPrefixLength = 24;  // u16
inline constexpr uint32_t kIndexBitmap = 27;
inline constexpr uint32_t kIndexEntries = 480;
inline constexpr uint32_t kIndexRoom = kPageSize - kIndexEntries;
static_assert(kIndexBitmap + kIndexRoom / 8 + 1 <= kIndexEntries,
              "the bitmap covers every byte of the entry area");

// TDEF pages (type 0x02); offsets into the logical TDEF buffer.
inline constexpr uint32_t kTdefFreeSpace = 2;
inline constexpr uint32_t kTdefNextPage = 4;
inline constexpr uint32_t kTdefPageHeader = 8;  // skipped on continuation pages
inline constexpr uint32_t kTdefLength = 8;
inline constexpr uint32_t kTdefMagic = 12;  // 1625
inline constexpr uint32_t kTdefRowCount = 16;
inline constexpr uint32_t kTdefAutoNumber = 20;
inline constexpr uint32_t kTdefTableType = 40;
inline constexpr uint32_t kTdefMaxCols = 41;
inline constexpr uint32_t kTdefVarCols = 43;
inline constexpr uint32_t kTdefColumnCount = 45;
inline constexpr uint32_t kTdefLogicalIndexCount = 47;
inline constexpr uint32_t kTdefRealIndexCount = 51;
inline constexpr uint32_t kTdefOwnedMap = 55;
inline constexpr uint32_t kTdefFreeMap = 59;
inline constexpr uint32_t kTdefHeaderSize = 63;
inline constexpr uint32_t kTdefMagicValue = 1625;
inline constexpr uint8_t kTableTypeUser = 0x4E;
inline constexpr uint8_t kTableTypeSystem = 0x53;
inline constexpr uint32_t kRealIndexCountBlock = 12;  // u32 unique count at 4
inline constexpr uint32_t kRealIndexUniqueCount = 4;
inline constexpr uint32_t kColumnUsageEntry = 10;  // u16 column, two maps

// Real index definition (52 bytes): up to ten (u16 column, u8 order) pairs.
inline constexpr uint32_t kRealIndexDefinition = 52;
inline constexpr uint32_t kRealIndexMagicValue = 1923;
inline constexpr uint32_t kRealIndexColumnList = 4;
inline constexpr uint32_t kRealIndexColumns = 10;
inline constexpr uint32_t kRealIndexUsageMap = 34;
inline constexpr uint32_t kRealIndexRootPage = 38;
inline constexpr uint32_t kRealIndexFlags = 46;
static_assert(kRealIndexColumnList + 3 * kRealIndexColumns ==
              kRealIndexUsageMap);
static_assert(kRealIndexFlags + 6 == kRealIndexDefinition);

// Logical index definition (28 bytes).
inline constexpr uint32_t kLogicalIndexDefinition = 28;
inline constexpr uint32_t kLogicalIndexNumber = 4;
inline constexpr uint32_t kLogicalIndexReal = 8;
inline constexpr uint32_t kLogicalRelatedType = 12;
inline constexpr uint32_t kLogicalRelatedIndex = 13;
inline constexpr uint32_t kLogicalRelatedTable = 17;
inline constexpr uint32_t kLogicalCascadeUpdates = 21;
inline constexpr uint32_t kLogicalCascadeDeletes = 22;
inline constexpr uint32_t kLogicalIndexType = 23;
static_assert(kLogicalIndexType + 5 == kLogicalIndexDefinition);

// Column descriptor (25 bytes).
inline constexpr uint32_t kColumnDescriptor = 25;
inline constexpr uint32_t kColType = 0;
inline constexpr uint32_t kColMagic = 1;  // u32 kTdefMagicValue
inline constexpr uint32_t kColNumber = 5;
inline constexpr uint32_t kColVarIndex = 7;
inline constexpr uint32_t kColRowNumber = 9;
inline constexpr uint32_t kColPrecision = 11;  // Numeric; LCID for text
inline constexpr uint32_t kColScale = 12;
inline constexpr uint32_t kColFlags = 15;
inline constexpr uint32_t kColExtraFlags = 16;
inline constexpr uint32_t kColFixedOffset = 21;
inline constexpr uint32_t kColLength = 23;
static_assert(kColLength + 2 == kColumnDescriptor);

// Column flags.
inline constexpr uint8_t kColFlagFixed = 0x01;
inline constexpr uint8_t kColFlagUpdatable = 0x02;
inline constexpr uint8_t kColFlagAutoNumber = 0x04;
inline constexpr uint8_t kColFlagAutoGuid = 0x40;
inline constexpr uint8_t kColFlagHyperlink = 0x80;
inline constexpr uint8_t kColExtraCompressed = 0x01;

// Column types as stored.
inline constexpr uint8_t kTypeBoolean = 0x01;
inline constexpr uint8_t kTypeByte = 0x02;
inline constexpr uint8_t kTypeInteger = 0x03;
inline constexpr uint8_t kTypeLong = 0x04;
inline constexpr uint8_t kTypeCurrency = 0x05;
inline constexpr uint8_t kTypeSingle = 0x06;
inline constexpr uint8_t kTypeDouble = 0x07;
inline constexpr uint8_t kTypeDate = 0x08;
inline constexpr uint8_t kTypeBinary = 0x09;
inline constexpr uint8_t kTypeText = 0x0A;
inline constexpr uint8_t kTypeOle = 0x0B;
inline constexpr uint8_t kTypeMemo = 0x0C;
inline constexpr uint8_t kTypeGuid = 0x0F;
inline constexpr uint8_t kTypeNumeric = 0x10;
inline constexpr uint32_t kNumericLength = 17;

// Row layout.
inline constexpr uint32_t kRowColumnCount = 0;  // u16
inline constexpr uint32_t kRowFixedStart = 2;

// Long values (Memo/OLE) header in the row.
inline constexpr uint32_t kLvalHeaderSize = 12;
inline constexpr uint32_t kLvalLengthMask = 0x3FFFFFFF;
inline constexpr uint8_t kLvalInline = 0x80;
inline constexpr uint8_t kLvalSingle = 0x40;
inline constexpr uint8_t kLvalChain = 0x00;
inline constexpr uint32_t kLvalMaxInline = 64;
inline constexpr uint32_t kLvalMaxSingleRow = 4076;
inline constexpr uint32_t kLvalChunk = 4072;

// Compressed text marker.
inline constexpr uint8_t kCompressedMarker0 = 0xFF;
inline constexpr uint8_t kCompressedMarker1 = 0xFE;
inline constexpr uint32_t kMaxCompressibleChars = 1024;

// System catalog.
inline constexpr int32_t kCatalogRootId = 0x0F000000;
// Containers under the root, and the database object MSysDb.
inline constexpr int32_t kTablesContainerId = 0x0F000001;
inline constexpr int32_t kDatabasesContainerId = 0x0F000002;
inline constexpr int32_t kRelationshipsContainerId = 0x0F000003;
inline constexpr int32_t kDatabaseObjectId = 0x10000000;
inline constexpr int16_t kObjectTypeDatabase = 2;
inline constexpr int16_t kObjectTypeContainer = 3;
inline constexpr int16_t kObjectTypeTable = 1;
inline constexpr int16_t kObjectTypeRelationship = 8;
inline constexpr uint32_t kObjectFlagSystem = 0x80000002;
inline constexpr uint32_t kObjectIdPageMask = 0x00FFFFFF;

}  // namespace jet::format

#endif  // JET_FORMAT_H_
