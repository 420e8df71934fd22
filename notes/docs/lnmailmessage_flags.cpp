// The delivery options of a mail message: assist mail, return receipt, keep private and the sender tag.
#include "ln/lnmailmessage.h"

#include "ln/lnerrors.h"

#include <cstring>

namespace {

constexpr const char kSenderTags[] = "NPCRTFGJYQM";
constexpr uint32_t kSenderTagCount = sizeof kSenderTags - 1;

} // namespace

bool LNMailMessage::IsAssistMail() const {
    return RequireOpenBody()->HasItem(LNString("$AssistMail"));
}

bool LNMailMessage::IsReturnReceipt() const {
    const LNString flag = FirstText("ReturnReceipt");
    return flag.GetByteLength() == 1 && flag.GetPlatformTextPtr()[0] == '1';
}

LNSTATUS LNMailMessage::SetReturnReceipt(bool flag) {
    return SetFlagItem("ReturnReceipt", flag);
}

bool LNMailMessage::IsKeepPrivate() const {
    if (!RequireOpenBody()->HasItem(LNString("$KeepPrivate"))) return false;
    uint32_t position = 0;
    const LNSTATUS found = FirstText("$KeepPrivate").FindChar(LNString("12"), 0, &position);
    if (found == LNWARN_NOT_FOUND) return false;
    if (found != LNNOERROR) throw found;
    return true;
}

LNSTATUS LNMailMessage::SetKeepPrivate(bool flag) {
    return SetFlagItem("$KeepPrivate", flag);
}

LNSTATUS LNMailMessage::SetFlagItem(const char* name, bool flag) {
    if (flag) return WriteText(name, LNString("1"), 0x04);
    LNDocumentBody* body = nullptr;
    if (const LNSTATUS status = OpenBody(&body)) return LNReturnOrThrow(status);
    if (!body->HasItem(LNString(name))) return LNNOERROR;
    return body->DeleteItem(LNString(name));
}

uint32_t LNMailMessage::GetSenderTag() const {
    const LNString tag = FirstText("SenderTag");
    if (tag.GetByteLength() != 1) return 0;
    const char* found = std::strchr(kSenderTags, tag.GetPlatformTextPtr()[0]);
    return found == nullptr || *found == '\0' ? 0 : static_cast<uint32_t>(found - kSenderTags);
}

LNSTATUS LNMailMessage::SetSenderTag(uint32_t code) {
    if (code >= kSenderTagCount) return LNReturnOrThrow(LNERR_INVALID_PARAMETER);
    return WriteText("SenderTag", LNString(std::string(1, kSenderTags[code]).c_str()), 0x04);
}
