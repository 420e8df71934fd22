// Helpers for the object core's tests: small API classes that count their deletions and closes (and, from
// lntest/started_api_test.h, the status that a call throws).
#pragma once

#include "ln/lnclass.h"
#include "ln/lnerrors.h"
#include "lntest/started_api_test.h"

#include <functional>

// What happened to the objects that share one tally.
struct Tally {
    int deleted = 0;
    int closed = 0;
};

class FakeObject : public LNNotesClass {
public:
    explicit FakeObject(Tally* tally = nullptr) : tally_(tally) {}
    ~FakeObject() override {
        if (tally_ != nullptr) ++tally_->deleted;
    }
    LNCLASSID GetClassID() const override { return LNCLASSID_LNDATETIME; }

private:
    Tally* tally_;
};

class FakeBody : public LNBody {
public:
    explicit FakeBody(Tally* tally = nullptr) : tally_(tally) {}
    ~FakeBody() override {
        if (tally_ != nullptr) ++tally_->deleted;
    }
    LNCLASSID GetClassID() const override { return LNCLASSID_LNDATABASEBODY; }
    LNSTATUS Close() override {
        if (tally_ != nullptr) ++tally_->closed;
        if (onClose) onClose();
        return LNNOERROR;
    }

    std::function<void()> onClose;

private:
    Tally* tally_;
};

class FakeHandle : public LNSmartPtr {
public:
    FakeHandle() = default;
    explicit FakeHandle(FakeBody* body) : LNSmartPtr(body) {}
    LNCLASSID GetClassID() const override { return LNCLASSID_LNDATABASE; }
    FakeHandle& AssignBody(FakeBody* body) {
        LNSmartPtr::AssignBody(body);
        return *this;
    }
    FakeBody* Body() const { return static_cast<FakeBody*>(GetBody()); }
};
