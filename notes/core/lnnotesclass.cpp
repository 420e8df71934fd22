#include "ln/lnassert.h"
#include "ln/lnclass.h"
#include "ln/lnheap.h"
#include "ln/lnobjlist.h"

LNNotesClass::~LNNotesClass() {
    if (ListElement == nullptr) return;
    // Leaving the list now, rather than when its owner closes, keeps long-lived lists from filling up with
    // elements of dead objects.
    try {
        ListElement->ObjectList->Unlink(ListElement);
    } catch (LNSTATUS) {
        // The failed check has already shown its box; a destructor must not throw.
    }
}

bool LNNotesClass::IsOnHeap() const {
    return LNIsHeapBlock(dynamic_cast<const void*>(this));
}

void* LNNotesClass::operator new(std::size_t size) {
    return LNNew(size);
}

void LNNotesClass::operator delete(void* object) noexcept {
    try {
        LNDelete(object);
    } catch (LNSTATUS status) {
        const char* text = LNGetMessageText(status);
        LNReportAssertion(text != nullptr ? text : "LNDelete(object)", "memory", __LINE__);
    }
}
