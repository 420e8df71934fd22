#include "store/acl_format.h"
#include "util/coding.h"

#include <cstring>

namespace nnotes::acl {
namespace {

constexpr char kMagic[4] = {'Q', 'A', 'C', 'L'};

// Reads the bytes in order; every read checks what is left, and a failed read fails all later ones.
class Reader {
public:
    explicit Reader(std::string_view bytes) : bytes_(bytes) {}

    bool Bytes(size_t n, std::string_view& out) {
        if (!ok_ || bytes_.size() - pos_ < n) return ok_ = false;
        out = bytes_.substr(pos_, n);
        pos_ += n;
        return true;
    }
    uint32_t Number(size_t width) {
        std::string_view b;
        if (!Bytes(width, b)) return 0;
        if (width == 1) return static_cast<unsigned char>(b[0]);
        return width == 2 ? util::DecodeFixed16(b.data()) : util::DecodeFixed32(b.data());
    }
    std::string Text(size_t lengthWidth) {
        std::string_view b;
        const size_t n = Number(lengthWidth);
        return Bytes(n, b) ? std::string(b) : std::string();
    }
    size_t Position() const { return pos_; }
    bool Finished() const { return ok_ && pos_ == bytes_.size(); }
    bool Ok() const { return ok_; }

private:
    std::string_view bytes_;
    size_t pos_ = 0;
    bool ok_ = true;
};

// Byte for byte: "Jane Doe" and "jane doe" are two entries, as the object layer sees them.
bool SameName(const std::string& a, const char* b) {
    return a == b;
}

} // namespace

List DefaultList(uint16_t level) {
    List list;
    list.entries.push_back({ACL_DEFAULT_NAME, level, 0, {}, 0});
    return list;
}

std::string Encode(const List& list) {
    std::string out(kMagic, sizeof kMagic);
    util::PutFixed32(&out, list.flags);
    util::PutFixed16(&out, static_cast<uint16_t>(list.adminServer.size()));
    out += list.adminServer;
    for (const auto& name : list.privilegeNames) {
        out.push_back(static_cast<char>(name.size()));
        out += name;
    }
    util::PutFixed16(&out, static_cast<uint16_t>(list.entries.size()));
    for (const auto& e : list.entries) {
        util::PutFixed16(&out, static_cast<uint16_t>(e.name.size()));
        out += e.name;
        util::PutFixed16(&out, e.level);
        util::PutFixed16(&out, e.flags);
        out.append(reinterpret_cast<const char*>(e.privileges.BitMask), sizeof e.privileges.BitMask);
    }
    return out;
}

STATUS Decode(std::string_view bytes, List& list) {
    Reader in(bytes);
    std::string_view magic;
    if (!in.Bytes(sizeof kMagic, magic) || std::memcmp(magic.data(), kMagic, sizeof kMagic) != 0)
        return ERR_ACL_DAMAGED;
    List read;
    read.flags = in.Number(4);
    read.adminServer = in.Text(2);
    for (auto& name : read.privilegeNames)
        name = in.Text(1);
    const size_t count = in.Number(2);
    for (size_t i = 0; i < count && in.Ok(); ++i) {
        Entry e;
        e.name = in.Text(2);
        e.level = static_cast<uint16_t>(in.Number(2));
        e.flags = static_cast<uint16_t>(in.Number(2));
        e.privilegesOffset = in.Position();
        std::string_view privileges;
        if (in.Bytes(sizeof e.privileges.BitMask, privileges))
            std::memcpy(e.privileges.BitMask, privileges.data(), privileges.size());
        if (e.level > ACL_LEVEL_MANAGER || CheckName(std::string_view(e.name)) != NOERROR)
            return ERR_ACL_DAMAGED;
        read.entries.push_back(std::move(e));
    }
    if (!in.Finished() || read.adminServer.size() >= MAXPATH) return ERR_ACL_DAMAGED;
    for (const auto& name : read.privilegeNames)
        if (name.size() >= ACL_PRIVNAMEMAX) return ERR_ACL_DAMAGED;
    list = std::move(read);
    return NOERROR;
}

Entry* FindEntry(List& list, const char* name) {
    const char* wanted = name != nullptr ? name : ACL_DEFAULT_NAME;
    for (auto& e : list.entries)
        if (SameName(e.name, wanted)) return &e;
    return nullptr;
}

STATUS CheckName(std::string_view name) {
    return name.empty() || name.size() >= MAXPATH || name.find('\0') != std::string_view::npos
               ? ERR_ACL_BAD_NAME
               : NOERROR;
}

STATUS CheckName(const char* name) {
    return name == nullptr ? ERR_ACL_BAD_NAME : CheckName(std::string_view(name, strnlen(name, MAXPATH)));
}

} // namespace nnotes::acl
