#include "ln/lncdrecord.h"
#include "ln/lnrtcursor.h"
#include "ln/lnrtelement.h"
#include "ln/lnstylizedtext.h"
#include "richtextfixture.h"

namespace {

using ElementTest = RichTextTest;

// A field record (0xFF8A) with formulas of the given lengths and a name.
std::string FieldRecord(uint16_t defaultLength, uint16_t translationLength, uint16_t validationLength,
                        const std::string& name) {
    const uint32_t length = 32u + defaultLength + translationLength + validationLength + name.size();
    std::string record = Word(0xFF8A) + Word(static_cast<uint16_t>(length)) + Word(0) + Word(768) + Word(0) +
                         Dword(0x11) + Dword(0x22) + Dword(0x0A000005) + Word(defaultLength) +
                         Word(translationLength) + Word(0) + Word(validationLength) +
                         Word(static_cast<uint16_t>(name.size()));
    record += std::string(defaultLength, 'd') + std::string(translationLength, 't') +
              std::string(validationLength, 'v') + name;
    if (record.size() % 2) record.push_back('\0');
    return record;
}

TEST_F(ElementTest, FormFieldFormatsAndOperationsNotBuilt) {
    LNCompositeData data;
    const std::string record = FieldRecord(0, 0, 0, "F");
    ASSERT_EQ(data.WriteData(static_cast<uint32_t>(record.size()), record.data(), 0), 0u);
    LNFormField field(data);
    uint32_t value = 0;
    ASSERT_EQ(field.GetNumberFormat(&value), 0u);
    EXPECT_EQ(value, 0x11u);
    ASSERT_EQ(field.GetTimeFormat(&value), 0u);
    EXPECT_EQ(value, 0x22u);
    EXPECT_EQ(LNFormField().GetTimeFormat(&value), LNERR_NOT_INITIALIZED);
    LNFormFieldBody body(0, 0, 0);
    char buffer[4] = {};
    EXPECT_EQ(body.SetName("x"), LNERR_NOT_IMPLEMENTED);
    EXPECT_EQ(body.SetNumberFormat(1), LNERR_NOT_IMPLEMENTED);
    EXPECT_EQ(body.GetInputValidationFormula(buffer, sizeof buffer), LNERR_NOT_IMPLEMENTED);
    EXPECT_EQ(body.GetFormulas(buffer, buffer, buffer, sizeof buffer), LNERR_NOT_IMPLEMENTED);
}

TEST_F(ElementTest, CursorsOnElementsAndCharacters) {
    LNRTContainer box;
    ASSERT_EQ(box.Append(LNString("ab")), 0u);
    LNCompositeData data;
    const std::string paragraph = Paragraph();
    ASSERT_EQ(data.WriteData(static_cast<uint32_t>(paragraph.size()), paragraph.data(), 0), 0u);
    ASSERT_EQ(box.Append(data), 0u);
    LNRTObject last;
    ASSERT_EQ(box.GetLastChild(&last), 0u);
    LNRTElement element(last);
    LNRTCursor cursor;
    ASSERT_EQ(element.GetCursor(&cursor), 0u);
    EXPECT_EQ(cursor.GetOffset(), 0u);
    EXPECT_FALSE(cursor.IsAtEnd());
    EXPECT_EQ(element.GetCursor(nullptr), LNERR_INVALID_PARAMETER);
    EXPECT_EQ(LNRTElement().GetCursor(&cursor), LNERR_NOT_INITIALIZED);

    LNRTObject run;
    ASSERT_EQ(box.GetFirstChild(&run), 0u);
    LNRTChar b(run.GetObjectBody(), 2);
    EXPECT_EQ(b.GetClassID(), LNCLASSID_LNRTCHAR);
    ASSERT_EQ(b.GetCursor(&cursor), 0u);
    EXPECT_EQ(cursor.GetOffset(), 2u);
    EXPECT_EQ(b.GetCursor(nullptr), LNERR_INVALID_PARAMETER);
    LNRTObject copy;
    EXPECT_EQ(b.CopyObject(run), LNERR_NOT_IMPLEMENTED);
    EXPECT_THROW(LNRTChar(run.GetObjectBody(), 0), LNSTATUS);
    EXPECT_THROW(LNRTChar{run}, LNSTATUS);
    EXPECT_THROW(b = run.GetObjectBody(), LNSTATUS);
    b = static_cast<LNRTObjectBody*>(nullptr);
    EXPECT_TRUE(b.IsNull());

    // SetElement takes elements only; the unchecked constructor takes anything.
    LNRTElement holder;
    EXPECT_THROW(holder.SetElement(run), LNSTATUS);
    holder.SetElement(last);
    EXPECT_TRUE(holder == last);
    const LNRTElement any(run, LNRTUnchecked{});
    EXPECT_TRUE(any.IsType(LNRTTYPE_STYLIZED_TEXT));
}

TEST_F(ElementTest, FormFieldReadsNameAfterFormulas) {
    LNCompositeData data;
    const std::string record = FieldRecord(10, 0, 4, "Title");
    ASSERT_EQ(data.WriteData(static_cast<uint32_t>(record.size()), record.data(), 0), 0u);
    EXPECT_TRUE(data.IsType(LNRTTYPE_COMPOSITE_DATA));
    EXPECT_EQ(data.GetSignature(), LNRTSIG_FIELD);
    LNFormField field(data);
    char name[6] = {};
    ASSERT_EQ(field.GetName(name, sizeof name), 0u);
    EXPECT_STREQ(name, "Title");
    EXPECT_EQ(field.GetName(name, 5), LNERR_BUFFER_TOO_SMALL);
    uint32_t value = 0;
    ASSERT_EQ(field.GetFontID(&value), 0u);
    EXPECT_EQ(value, 0x0A000005u);
    ASSERT_EQ(field.GetDataType(&value), 0u);
    EXPECT_EQ(value, 768u);
}

TEST_F(ElementTest, DamagedFieldNeverReadsPastItsRecord) {
    LNCompositeData data;
    std::string record = FieldRecord(0, 0, 0, "Name");
    // The stored name length claims far more bytes than the record holds.
    record[30] = '\x7F';
    ASSERT_EQ(data.WriteData(static_cast<uint32_t>(record.size()), record.data(), 0), 0u);
    char name[200] = {};
    EXPECT_EQ(LNFormField(data).GetName(name, sizeof name), LNERR_INVALID_RICHTEXT);
}

TEST_F(ElementTest, FieldOperationsNeedAFieldRecord) {
    LNCompositeData data;
    const std::string record = WordRecord(0xFF99, 8);
    ASSERT_EQ(data.WriteData(8, record.data(), 0), 0u);
    char name[8] = {};
    EXPECT_EQ(LNFormField(data).GetName(name, sizeof name), LNERR_WRONG_RICHTEXT_TYPE);
    EXPECT_EQ(LNFormField(data).CopyObject(data), LNERR_NOT_IMPLEMENTED);
}

TEST_F(ElementTest, CompositeDataRules) {
    LNCompositeData data;
    EXPECT_THROW(data.GetSignature(), LNSTATUS);
    // Without a body there is no record yet.
    EXPECT_EQ(data.GetRecordLength(), 0u);
    EXPECT_EQ(data.WriteData(2, nullptr, 0), LNERR_INVALID_PARAMETER);
    ASSERT_EQ(data.WriteData(3, "\x81\x03x", 0), 0u);
    EXPECT_EQ(data.GetRecordLength(), 4u);
    EXPECT_EQ(data.WriteData(1, "y", 9), LNERR_INVALID_PARAMETER);
    EXPECT_FALSE(data.GetObjectBody()->HasChildren());
    LNString text;
    ASSERT_EQ(data.GetText(&text), 0u);
    EXPECT_EQ(text.GetByteLength(), 1u);
    EXPECT_THROW(LNCompositeData{LNStylizedText(LNString("x"))}, LNSTATUS);
}

} // namespace
