// Conversion between on-disk structures and their host form, field by field, independent of the host's byte
// order.
#include "memory/ods_layout.h"
#include "nnotes/nnotes.h"
#include "util/coding.h"

#include <cstring>

namespace nnotes {
namespace {

uint32_t ReadLittleEndian(const unsigned char* p, unsigned width) {
    if (width == 1) return *p;
    return width == 2 ? util::DecodeFixed16(p) : util::DecodeFixed32(p);
}

void WriteLittleEndian(unsigned char* p, unsigned width, uint32_t value) {
    if (width == 1)
        *p = static_cast<unsigned char>(value);
    else if (width == 2)
        util::EncodeFixed16(p, static_cast<uint16_t>(value));
    else
        util::EncodeFixed32(p, value);
}

// Host fields are plain unsigned integers of their width.
uint32_t ReadHost(const unsigned char* p, unsigned width) {
    if (width == 1) return *p;
    if (width == 2) {
        uint16_t v;
        std::memcpy(&v, p, 2);
        return v;
    }
    uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
}

void WriteHost(unsigned char* p, unsigned width, uint32_t value) {
    if (width == 1) {
        *p = static_cast<unsigned char>(value);
    } else if (width == 2) {
        const auto v = static_cast<uint16_t>(value);
        std::memcpy(p, &v, 2);
    } else {
        std::memcpy(p, &value, 4);
    }
}

// Checks the arguments of a conversion and finds its layout.
STATUS Prepare(const void* position, const void* structures, size_t available, uint16_t type, uint16_t count,
               const OdsLayout** layout) {
    if (position == nullptr || (structures == nullptr && count > 0)) return ERR_MISSING_ARGUMENT;
    *layout = FindOdsLayout(type);
    if (*layout == nullptr) return ERR_ODS_UNKNOWN_TYPE;
    if (static_cast<size_t>((*layout)->diskSize) * count > available) return ERR_ODS_TRUNCATED;
    return NOERROR;
}

// Walks every field of count structures; ToDisk says which way the values go.
template <bool ToDisk, typename Host, typename Disk>
void Convert(const OdsLayout& layout, uint16_t count, Host* host, Disk* disk) {
    for (uint16_t n = 0; n < count; ++n, host += layout.hostSize) {
        for (const OdsField& field : layout.fields) {
            for (unsigned k = 0; k < field.count; ++k, disk += field.width) {
                Host* hostField = host + field.hostOffset + k * field.width;
                if constexpr (ToDisk)
                    WriteLittleEndian(disk, field.width, ReadHost(hostField, field.width));
                else
                    WriteHost(hostField, field.width, ReadLittleEndian(disk, field.width));
            }
        }
    }
}

} // namespace

uint16_t ODSLength(uint16_t type) {
    const OdsLayout* layout = FindOdsLayout(type);
    return layout == nullptr ? 0 : layout->diskSize;
}

STATUS ReadOnDiskStructure(const void** position, size_t available, uint16_t type, void* dest,
                           uint16_t count) {
    const OdsLayout* layout = nullptr;
    if (position == nullptr) return ERR_MISSING_ARGUMENT;
    if (STATUS status = Prepare(*position, dest, available, type, count, &layout)) return status;
    const auto* disk = static_cast<const unsigned char*>(*position);
    Convert<false>(*layout, count, static_cast<unsigned char*>(dest), disk);
    *position = disk + static_cast<size_t>(layout->diskSize) * count;
    return NOERROR;
}

STATUS WriteOnDiskStructure(void** position, size_t available, uint16_t type, const void* source,
                            uint16_t count) {
    const OdsLayout* layout = nullptr;
    if (position == nullptr) return ERR_MISSING_ARGUMENT;
    if (STATUS status = Prepare(*position, source, available, type, count, &layout)) return status;
    auto* disk = static_cast<unsigned char*>(*position);
    Convert<true>(*layout, count, static_cast<const unsigned char*>(source), disk);
    *position = disk + static_cast<size_t>(layout->diskSize) * count;
    return NOERROR;
}

} // namespace nnotes
