// Composite item values: whatever the bytes, rich text over them loads whole or gives a status, and a value
// that loads can be changed and written back.
#include "ln/lnapi.h"
#include "ln/lnerrors.h"
#include "ln/lnmemoryblock.h"
#include "ln/lnrichtext.h"

#include "nnotes/note.h"
#include "nnotes/process.h"
#include "nnotes/status.h"
#include "util/coding.h"

#include <cstdint>
#include <cstring>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool started =
        nnotes::InitProcess(0, nullptr) == nnotes::NOERROR && LNInitAPI(LNAPI_VERSION) == 0;
    if (!started || size > 60000) return 0;
    // A composite value: the type word, then the bytes.
    std::string value;
    util::PutFixed16(&value, nnotes::TYPE_COMPOSITE);
    value.append(reinterpret_cast<const char*>(data), size);

    LNMemoryBlock block;
    if (block.Allocate(static_cast<uint32_t>(value.size())) != 0) return 0;
    if (block.Write(static_cast<uint32_t>(value.size()), value.data(), 0) != 0) return 0;
    auto* body = new LNRichTextBody();
    LNMemoryBlock view;
    view.Attach(block.GetBlockID().pool, 0, block.GetSize());
    if (body->ReplaceFirstBlock(&view) != 0) {
        delete body;
        return 0;
    }
    body->SetValueOwned(false);
    LNRichText richText;
    richText.SetItemBody(nullptr, body);
    LNString text;
    if (richText.GetText(&text) == LNNOERROR && richText.Append(LNString("+")) == LNNOERROR &&
        richText.Flush() == LNNOERROR) {
        LNString again;
        richText.GetText(&again);
    }
    return 0;
}
