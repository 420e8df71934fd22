// nsfadmin's descriptions: any text gives a description or a Failure naming what is wrong, the documents of
// a description are read again as they were checked, and a description's views give their stored format or
// a Failure; any bytes read as a stored view format give its columns or a Failure.
#include "description.h"
#include "failure.h"
#include "view_format.h"

#include "nnotes/process.h"
#include "nnotes/status.h"

#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool started = nnotes::InitProcess(0, nullptr) == nnotes::NOERROR; // times are read by it
    if (!started) return 0;
    const std::string text(reinterpret_cast<const char*>(data), size);
    try {
        const nsfadmin::DatabaseDescription d = nsfadmin::ReadDescription(text, "fuzz.json");
        for (const auto& view : d.views) {
            nsfadmin::ViewFormatBytes(view, "view");
            if (!view.selection.empty()) nsfadmin::CompiledFormula(view.selection, "selection");
        }
        // The second reading, which stores the documents one at a time, hands over exactly the documents the
        // first one checked, in order, each answering only an earlier one: it never fails on what the first
        // reading let through.
        size_t next = 0;
        nsfadmin::ReadDocuments(nsfadmin::JsonInput{text}, "fuzz.json",
                                [&](nsfadmin::DocumentDescription&& doc, size_t index) {
                                    if (index != next++ || (doc.parent && *doc.parent >= index))
                                        __builtin_trap();
                                });
        if (next != d.documents) __builtin_trap();
    } catch (const nsfadmin::Failure&) {
    }
    // The same bytes read as a stored view format, as "nsfadmin view" reads one from a database.
    try {
        nsfadmin::ReadViewColumns(text, "stored");
    } catch (const nsfadmin::Failure&) {
    }
    return 0;
}
