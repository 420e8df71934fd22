// LNLogEntry: one open Notes log entry. The session opens, closes and discards it; in between it writes
// lines.
#pragma once

#include "ln/lnclass.h"

class LNDatetime;
class LNString;

class LNLogEntry : public LNNotesClass {
public:
    LNLogEntry() = default;
    LNLogEntry(const LNLogEntry& other) = default;
    LNLogEntry& operator=(const LNLogEntry& other) = default;

    LNCLASSID GetClassID() const override { return LNCLASSID_LNLOGENTRY; }

    bool IsOpen() const { return LogHandle != 0; }
    bool IsNotOpen() const { return LogHandle == 0; }
    uint32_t GetValue() const { return LogValue; }
    uint32_t SetValue(uint32_t value) { return LogValue = value; }

    LNSTATUS WriteWithDatetime(const LNDatetime& datetime, const LNString& text);
    LNSTATUS WriteWithNumber(int32_t number, const LNString& text);
    LNSTATUS WriteWithText(const LNString& first, const LNString& second);

private:
    friend class LNNotesSession;

    uint16_t LogHandle = 0;
    uint32_t LogValue = 0;
};
