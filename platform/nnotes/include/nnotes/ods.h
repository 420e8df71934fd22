// libnnotes on-disk structures: the structures that stored values hold, their on-disk lengths, and the
// conversions between their on-disk form and their host form, which need no started process.
#pragma once

#include <cstddef>
#include <cstdint>

#include "nnotes/status.h"

namespace nnotes {

// Stored values hold structures in their on-disk form: little-endian, packed, no padding. In memory the same
// structures are the host structs below (or plain integers), with natural alignment. Converting needs no
// started process.
constexpr STATUS ERR_ODS_UNKNOWN_TYPE = 0x0020; // no such on-disk structure type
constexpr STATUS ERR_ODS_TRUNCATED = 0x0021;    // fewer bytes available than the structures take

// Structure types, each with its on-disk length (ODSLength) and its host form.
constexpr uint16_t ODS_WORD = 0;               //  2 bytes; uint16_t
constexpr uint16_t ODS_DWORD = 1;              //  4 bytes; uint32_t
constexpr uint16_t ODS_TIMEDATE = 2;           //  8 bytes; the 8-byte instant as two uint32_t, low first
constexpr uint16_t ODS_UNIVERSALID = 3;        // 16 bytes; a note's universal id: two instants, four uint32_t
constexpr uint16_t ODS_OBJECT_DESCRIPTOR = 27; //  6 bytes; ODSObjectDescriptor
constexpr uint16_t ODS_VIEW_TABLE_FORMAT = 29; // 10 bytes; ODSViewTableFormat
constexpr uint16_t ODS_VIEW_COLUMN_FORMAT = 30; // 32 bytes; ODSViewColumnFormat
constexpr uint16_t ODS_IDTABLE_HEADER = 31;     // 10 bytes; ODSIDTableHeader
constexpr uint16_t ODS_FIELD_RECORD_OLD = 112;  // 32 bytes; ODSFieldRecord (record signature 0xFF84)
constexpr uint16_t ODS_TEXT_RECORD = 113;       //  8 bytes; ODSTextRecord
constexpr uint16_t ODS_FIELD_RECORD = 118;      // 32 bytes; ODSFieldRecord (record signature 0xFF8A)
constexpr uint16_t ODS_FONT_TABLE_HEADER = 119; //  6 bytes; ODSFontTableHeader
constexpr uint16_t ODS_FONT_FACE = 120;         // 34 bytes; ODSFontFace

// What an item of type 3 (an object) says about the database object it stands for.
struct ODSObjectDescriptor {
    uint16_t ObjectType;
    uint32_t ObjectID;
};

// The head of a "$ViewFormat" value (after its type word); Columns column records follow it, then each
// column's item name, title, formula and constant value, column after column. Its host form is 10 bytes.
struct ODSViewTableFormat {
    uint8_t Version;  // 1
    uint8_t Reserved; // 0
    uint16_t Columns;
    uint16_t Flags; // the view's own flags, kept as stored
    uint16_t Spare[2];
};

// One column of a view; its host form is 32 bytes. Flags 0x0002 categorises, 0x0008 hidden, 0x0010 response
// column; the store may give the other bits meanings of its own.
struct ODSViewColumnFormat {
    uint16_t Signature;
    uint16_t Flags;
    uint16_t ItemNameSize;
    uint16_t TitleSize;
    uint16_t FormulaSize;
    uint16_t ConstantValueSize;
    uint8_t Spare[20]; // kept as stored
};

// The head of an ID table's memory (Step at host byte 0, Records at byte 6, Flags at byte 9).
struct ODSIDTableHeader {
    uint32_t Step; // distance between the ids of one run record
    uint16_t Reserved;
    uint16_t Records; // run records that follow the header
    uint8_t Reserved2;
    uint8_t Flags; // IDTABLE_SCAN_ONLY (ID tables section)
};

// The fixed part of a field-definition record of rich text; the three formulas and then the name follow it.
struct ODSFieldRecord {
    uint16_t Signature;                     // on disk at byte 0
    uint16_t Length;                        // 2: the whole record
    uint16_t Flags;                         // 4
    uint16_t DataType;                      // 6
    uint16_t Reserved;                      // 8
    uint32_t NumberFormat;                  // 10
    uint32_t TimeFormat;                    // 14
    uint32_t FontID;                        // 18
    uint16_t DefaultValueFormulaLength;     // 22
    uint16_t InputTranslationFormulaLength; // 24
    uint16_t Reserved2;                     // 26
    uint16_t InputValidationFormulaLength;  // 28
    uint16_t NameLength;                    // 30
};

// The fixed part of a text record of rich text (signature 0xFF85); the text follows it.
struct ODSTextRecord {
    uint16_t Signature;
    uint16_t Length; // header and text, without the pad byte
    uint32_t FontID;
};

// The head of a font table record (signature 0xFF8B); Fonts faces follow it.
struct ODSFontTableHeader {
    uint16_t Signature;
    uint16_t Length;
    uint16_t Fonts;
};

struct ODSFontFace {
    uint8_t Face;
    uint8_t Family;
    char Name[32]; // zero-terminated
};

// The on-disk length of one structure of the type; 0 for an unknown type.
uint16_t ODSLength(uint16_t type);
// Converts count structures from their on-disk form at *position, where available bytes may be read, into
// the host array dest, and moves *position past them. A failure reads and writes nothing.
STATUS ReadOnDiskStructure(const void** position, size_t available, uint16_t type, void* dest,
                           uint16_t count);
// Converts count host structures from source into their on-disk form at *position, where available bytes may
// be written, and moves *position past them. A failure writes nothing.
STATUS WriteOnDiskStructure(void** position, size_t available, uint16_t type, const void* source,
                            uint16_t count);

} // namespace nnotes
