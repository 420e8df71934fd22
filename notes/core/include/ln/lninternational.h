// LNInternational: a copy of the workstation's international settings record with typed access to its
// fields. The setters change the copy only; nothing is written back.
#pragma once

#include "ln/lnstring.h"
#include "nnotes/timedate.h"

class LNInternational : public LNNotesClass {
public:
    // Without a session and record: every accessor fails with LNERR_NOT_INITIALIZED.
    LNInternational() = default;
    LNInternational(LNNotesSession* session, const nnotes::IntlSettings* record);
    LNInternational(const LNInternational& other) = default;
    LNInternational& operator=(const LNInternational& other) = default;

    LNCLASSID GetClassID() const override { return LNCLASSID_LNINTERNATIONAL; }

    const nnotes::IntlSettings* GetIntlFormat() const;

    bool GetFlagBit0() const { return GetFlag(0x0001); }
    bool GetFlagBit1() const { return GetFlag(0x0002); }
    bool GetFlagBit2() const { return GetFlag(0x0004); }
    bool GetFlagBit3() const { return GetFlag(0x0008); }
    bool GetFlagBit4() const { return GetFlag(0x0010); }
    LNInternational& SetFlagBit0(bool flag) { return SetFlag(0x0001, flag); }
    LNInternational& SetFlagBit1(bool flag) { return SetFlag(0x0002, flag); }
    LNInternational& SetFlagBit2(bool flag) { return SetFlag(0x0004, flag); }
    LNInternational& SetFlagBit3(bool flag) { return SetFlag(0x0008, flag); }
    LNInternational& SetFlagBit4(bool flag) { return SetFlag(0x0010, flag); }

    // 32, 64 or 128: the first of bits 5 to 7 that is set (32 when none is).
    uint32_t GetFormatChoice() const;
    // Replaces bits 5 to 7 by value, unchecked.
    LNSTATUS SetFormatChoice(uint32_t value);

    uint32_t GetSmallNumber() const;
    // Below 16, else LNERR_OUT_OF_RANGE.
    LNSTATUS SetSmallNumber(uint32_t value);
    int32_t GetNumber() const;
    LNSTATUS SetNumber(int32_t value);

    LNString GetShortText1() const { return GetText(Record.amText); }
    LNString GetShortText2() const { return GetText(Record.pmText); }
    LNString GetShortText3() const { return GetText(Record.currencyText); }
    LNString GetShortText4() const { return GetText(Record.thousandsText); }
    LNString GetShortText5() const { return GetText(Record.decimalText); }
    LNString GetShortText6() const { return GetText(Record.dateSeparator); }
    LNString GetShortText7() const { return GetText(Record.timeSeparator); }
    LNString GetLongText1() const { return GetText(Record.yesterdayText); }
    LNString GetLongText2() const { return GetText(Record.todayText); }
    LNString GetLongText3() const { return GetText(Record.tomorrowText); }

    // An empty text gives LNERR_NULL_POINTER; one that leaves no room for a terminating NUL in its field
    // gives LNERR_OUT_OF_RANGE and leaves the field as it was.
    LNSTATUS SetShortText1(const LNString& text) { return SetText(Record.amText, text); }
    LNSTATUS SetShortText2(const LNString& text) { return SetText(Record.pmText, text); }
    LNSTATUS SetShortText3(const LNString& text) { return SetText(Record.currencyText, text); }
    LNSTATUS SetShortText4(const LNString& text) { return SetText(Record.thousandsText, text); }
    LNSTATUS SetShortText5(const LNString& text) { return SetText(Record.decimalText, text); }
    LNSTATUS SetShortText6(const LNString& text) { return SetText(Record.dateSeparator, text); }
    LNSTATUS SetShortText7(const LNString& text) { return SetText(Record.timeSeparator, text); }
    LNSTATUS SetLongText1(const LNString& text) { return SetText(Record.yesterdayText, text); }
    LNSTATUS SetLongText2(const LNString& text) { return SetText(Record.todayText, text); }
    LNSTATUS SetLongText3(const LNString& text) { return SetText(Record.tomorrowText, text); }

private:
    // Throws LNERR_NOT_INITIALIZED without a session.
    void Require() const;
    // LNERR_NOT_INITIALIZED through LNReturnOrThrow without a session, else 0.
    LNSTATUS Check() const;
    bool GetFlag(uint16_t bit) const;
    LNInternational& SetFlag(uint16_t bit, bool flag);
    template <std::size_t N>
    LNString GetText(const char (&field)[N]) const {
        return GetField(field, N);
    }
    template <std::size_t N>
    LNSTATUS SetText(char (&field)[N], const LNString& text) {
        return SetField(field, N, text);
    }
    LNString GetField(const char* field, std::size_t width) const;
    LNSTATUS SetField(char* field, std::size_t width, const LNString& text);

    nnotes::IntlSettings Record = {};
};
