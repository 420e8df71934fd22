#include "zip_writer.h"

#include "util/coding.h"
#include "word/word.h"

#include <algorithm>
#include <ctime>
#include <optional>
#include <vector>
#include <zlib.h>

namespace word {
namespace {

constexpr std::uint32_t kLocalHeader = 0x04034b50;
constexpr std::uint32_t kDescriptor = 0x08074b50;
constexpr std::uint32_t kCentralHeader = 0x02014b50;
constexpr std::uint32_t kEnd64 = 0x06064b50;
constexpr std::uint32_t kEnd64Locator = 0x07064b50;
constexpr std::uint32_t kEnd = 0x06054b50;

constexpr std::uint16_t kVersion = 20;   // deflate and descriptors
constexpr std::uint16_t kVersion64 = 45; // the 64-bit records
constexpr std::uint16_t kHasDescriptor = 0x0008;
constexpr std::uint16_t kUtf8Name = 0x0800;
constexpr std::uint16_t kDeflated = 8;
constexpr std::uint16_t kZip64Extra = 0x0001;

// Merged documents are large and repetitive: the fastest deflate level packs them nearly as well as the
// default and several times faster.
constexpr int kCompressionLevel = 1;
constexpr size_t kChunk = size_t{1} << 16;
// Central directory records made at a time, so that the directory is never held whole either.
constexpr size_t kRecordsAtATime = 1024;

// The zip file's fields are little-endian, of 16, 32 or 64 bits.
void Put16(std::string& out, std::uint64_t value) {
    util::PutFixed16(&out, static_cast<std::uint16_t>(value));
}
void Put32(std::string& out, std::uint64_t value) {
    util::PutFixed32(&out, static_cast<std::uint32_t>(value));
}
void Put64(std::string& out, std::uint64_t value) {
    util::PutFixed64(&out, value);
}

class ZipMaker : public TextMaker {
public:
    ZipMaker(std::shared_ptr<const ZipEntries> entries, ZipFieldLimits limits)
        : entries_(std::move(entries)), limits_(limits), count_(entries_->Count()), input_(kChunk),
          output_(kChunk) {
        if (deflateInit2(&stream_, kCompressionLevel, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK)
            throw AutomationError("Cannot create a package: " + std::string(stream_.msg ? stream_.msg : ""));
        records_.reserve(count_);
        const std::time_t now = std::time(nullptr);
        std::tm local{};
        localtime_r(&now, &local);
        const int year = std::clamp(local.tm_year + 1900, 1980, 2107);
        time_ = static_cast<std::uint16_t>(local.tm_hour << 11 | local.tm_min << 5 | local.tm_sec / 2);
        date_ = static_cast<std::uint16_t>((year - 1980) << 9 | (local.tm_mon + 1) << 5 | local.tm_mday);
    }
    ~ZipMaker() override { deflateEnd(&stream_); }
    ZipMaker(const ZipMaker&) = delete;
    ZipMaker& operator=(const ZipMaker&) = delete;

    bool Next(std::string& out) override {
        const size_t before = out.size();
        switch (stage_) {
        case Stage::Entry:
            if (next_ < count_)
                BeginEntry(out);
            else
                stage_ = Stage::CentralDirectory, centralStart_ = written_;
            break;
        case Stage::Data:
            WriteData(out);
            break;
        case Stage::CentralDirectory:
            WriteRecords(out);
            break;
        case Stage::End:
            WriteEnd(out);
            stage_ = Stage::Done;
            break;
        case Stage::Done:
            return false;
        }
        written_ += out.size() - before;
        return true;
    }

private:
    enum class Stage { Entry, Data, CentralDirectory, End, Done };

    // What the central directory needs of an entry besides its name.
    struct Record {
        std::uint32_t crc;
        std::uint32_t packedSize;
        std::uint32_t size;
        std::uint64_t offset;
    };

    static std::uint16_t Flags(const std::string& name) {
        bool ascii = std::all_of(name.begin(), name.end(),
                                 [](char c) { return static_cast<unsigned char>(c) < 0x80; });
        return static_cast<std::uint16_t>(kHasDescriptor | (ascii ? 0 : kUtf8Name));
    }

    void BeginEntry(std::string& out) {
        name_ = entries_->Name(next_);
        if (name_.size() > 0xFFFF)
            throw AutomationError("The package part name " + name_.substr(0, 64) + "... is too long");
        ZipContent content = entries_->Content(next_);
        reader_.reset();
        text_.reset();
        if (auto* bytes = std::get_if<std::shared_ptr<const std::string>>(&content)) {
            bytes_ = std::move(*bytes);
            bytesRead_ = 0;
        } else {
            bytes_.reset();
            text_.emplace(std::move(std::get<MergedText>(content)));
            reader_.emplace(*text_);
        }
        if (deflateReset(&stream_) != Z_OK) throw AutomationError("Cannot write the package part " + name_);
        crc_ = crc32(0, nullptr, 0);
        size_ = packedSize_ = 0;
        entryOffset_ = written_;

        Put32(out, kLocalHeader);
        Put16(out, kVersion);
        Put16(out, Flags(name_));
        Put16(out, kDeflated);
        Put16(out, time_);
        Put16(out, date_);
        Put32(out, 0); // the checksum and sizes follow the data
        Put32(out, 0);
        Put32(out, 0);
        Put16(out, name_.size());
        Put16(out, 0);
        out += name_;
        stage_ = Stage::Data;
    }

    void WriteData(std::string& out) {
        const char* data = input_.data();
        size_t length = 0;
        if (bytes_) {
            data = bytes_->data() + bytesRead_;
            length = std::min(kChunk, bytes_->size() - bytesRead_);
            bytesRead_ += length;
        } else {
            length = reader_->Read(input_.data(), input_.size());
        }
        if (length > 0) {
            crc_ = crc32(crc_, reinterpret_cast<const Bytef*>(data), static_cast<uInt>(length));
            size_ += length;
            Deflate(data, length, Z_NO_FLUSH, out);
            CheckSizes();
            return;
        }
        Deflate(nullptr, 0, Z_FINISH, out);
        CheckSizes();
        Put32(out, kDescriptor);
        Put32(out, crc_);
        Put32(out, packedSize_);
        Put32(out, size_);
        records_.push_back(
            {crc_, static_cast<std::uint32_t>(packedSize_), static_cast<std::uint32_t>(size_), entryOffset_});
        reader_.reset();
        text_.reset();
        bytes_.reset();
        ++next_;
        stage_ = Stage::Entry;
    }

    void Deflate(const char* data, size_t length, int flush, std::string& out) {
        stream_.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data));
        stream_.avail_in = static_cast<uInt>(length);
        while (true) {
            stream_.next_out = reinterpret_cast<Bytef*>(output_.data());
            stream_.avail_out = static_cast<uInt>(output_.size());
            const int result = deflate(&stream_, flush);
            const size_t produced = output_.size() - stream_.avail_out;
            out.append(output_.data(), produced);
            packedSize_ += produced;
            if (result == Z_STREAM_ERROR) throw AutomationError("Cannot write the package part " + name_);
            if (flush == Z_FINISH ? result == Z_STREAM_END : stream_.avail_out != 0) return;
        }
    }

    // The sizes of a descriptor are 32-bit; a part reaching that is far beyond what a word processor opens.
    void CheckSizes() const {
        if (size_ >= limits_.bytes || packedSize_ >= limits_.bytes)
            throw AutomationError("The package part " + name_ + " reaches " +
                                  std::to_string((limits_.bytes + 1) >> 20) +
                                  " MiB, more than a part may have");
    }

    void WriteRecords(std::string& out) {
        const size_t end = std::min(records_.size(), nextRecord_ + kRecordsAtATime);
        for (; nextRecord_ < end; ++nextRecord_) {
            const Record& record = records_[nextRecord_];
            const std::string name = entries_->Name(nextRecord_);
            const bool far = record.offset >= limits_.bytes;
            Put32(out, kCentralHeader);
            Put16(out, far ? kVersion64 : kVersion); // made by, on MS-DOS (no file attributes)
            Put16(out, far ? kVersion64 : kVersion);
            Put16(out, Flags(name));
            Put16(out, kDeflated);
            Put16(out, time_);
            Put16(out, date_);
            Put32(out, record.crc);
            Put32(out, record.packedSize);
            Put32(out, record.size);
            Put16(out, name.size());
            Put16(out, far ? 12 : 0);
            Put16(out, 0); // comment
            Put16(out, 0); // disk
            Put16(out, 0); // internal attributes
            Put32(out, 0); // external attributes
            Put32(out, far ? 0xFFFFFFFF : record.offset);
            out += name;
            if (far) {
                Put16(out, kZip64Extra);
                Put16(out, 8);
                Put64(out, record.offset);
            }
        }
        if (nextRecord_ == records_.size()) stage_ = Stage::End;
    }

    void WriteEnd(std::string& out) {
        const std::uint64_t entries = records_.size();
        const std::uint64_t directorySize = written_ - centralStart_;
        const bool zip64 =
            entries >= limits_.entries || directorySize >= limits_.bytes || centralStart_ >= limits_.bytes;
        if (zip64) {
            const std::uint64_t end64 = written_;
            Put32(out, kEnd64);
            Put64(out, 44); // the size of the rest of the record
            Put16(out, kVersion64);
            Put16(out, kVersion64);
            Put32(out, 0); // this disk
            Put32(out, 0); // the disk of the central directory
            Put64(out, entries);
            Put64(out, entries);
            Put64(out, directorySize);
            Put64(out, centralStart_);
            Put32(out, kEnd64Locator);
            Put32(out, 0);
            Put64(out, end64);
            Put32(out, 1); // disks
        }
        const auto field = [&](std::uint64_t value, std::uint64_t limit, std::uint64_t marker) {
            return value >= limit ? marker : value;
        };
        Put32(out, kEnd);
        Put16(out, 0);
        Put16(out, 0);
        Put16(out, field(entries, limits_.entries, 0xFFFF));
        Put16(out, field(entries, limits_.entries, 0xFFFF));
        Put32(out, field(directorySize, limits_.bytes, 0xFFFFFFFF));
        Put32(out, field(centralStart_, limits_.bytes, 0xFFFFFFFF));
        Put16(out, 0); // comment
    }

    std::shared_ptr<const ZipEntries> entries_;
    ZipFieldLimits limits_;
    size_t count_;
    z_stream stream_{};
    std::uint16_t time_ = 0, date_ = 0;
    Stage stage_ = Stage::Entry;
    std::uint64_t written_ = 0;

    // The entry being written.
    size_t next_ = 0;
    std::string name_;
    std::shared_ptr<const std::string> bytes_;
    size_t bytesRead_ = 0;
    std::optional<MergedText> text_;
    std::optional<MergedText::Reader> reader_; // reads text_
    std::vector<char> input_, output_;
    std::uint32_t crc_ = 0;
    std::uint64_t size_ = 0, packedSize_ = 0, entryOffset_ = 0;

    std::vector<Record> records_;
    size_t nextRecord_ = 0;
    std::uint64_t centralStart_ = 0;
};

} // namespace

MergedText ZipFile(std::shared_ptr<const ZipEntries> entries, ZipFieldLimits limits) {
    return MergedText(
        [entries = std::move(entries), limits] { return std::make_unique<ZipMaker>(entries, limits); });
}

} // namespace word
