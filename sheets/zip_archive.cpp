// SPDX-License-Identifier: GPL-3.0-or-later
#include "sheets/zip_archive.h"

#include <minizip/unzip.h>
#include <minizip/zip.h>

#include <algorithm>
#include <cstring>
#include <utility>

namespace korvel {

namespace {

// An archive in memory, read or written through minizip's file functions.
struct MemoryFile {
    std::string bytes;
    std::string_view readOnly;  // when reading: the bytes themselves, not copied
    std::size_t pos = 0;
    bool reading = false;

    std::size_t Size() const { return reading ? readOnly.size() : bytes.size(); }
};

MemoryFile& File(voidpf stream) { return *static_cast<MemoryFile*>(stream); }

voidpf ZCALLBACK Open(voidpf opaque, const void*, int) {
    File(opaque).pos = 0;
    return opaque;
}

uLong ZCALLBACK ReadBytes(voidpf, voidpf stream, void* buffer, uLong size) {
    MemoryFile& file = File(stream);
    const std::size_t count = std::min<std::size_t>(size, file.Size() - std::min(file.pos, file.Size()));
    std::memcpy(buffer, (file.reading ? file.readOnly.data() : file.bytes.data()) + file.pos, count);
    file.pos += count;
    return static_cast<uLong>(count);
}

uLong ZCALLBACK WriteBytes(voidpf, voidpf stream, const void* buffer, uLong size) {
    MemoryFile& file = File(stream);
    if (file.reading) return 0;
    if (file.pos + size > file.bytes.size()) file.bytes.resize(file.pos + size);
    std::memcpy(file.bytes.data() + file.pos, buffer, size);
    file.pos += size;
    return size;
}

ZPOS64_T ZCALLBACK Tell(voidpf, voidpf stream) { return File(stream).pos; }

long ZCALLBACK Seek(voidpf, voidpf stream, ZPOS64_T offset, int origin) {
    MemoryFile& file = File(stream);
    const std::size_t base = origin == ZLIB_FILEFUNC_SEEK_CUR   ? file.pos
                             : origin == ZLIB_FILEFUNC_SEEK_END ? file.Size()
                                                                : 0;
    if (base + offset > file.Size()) return -1;
    file.pos = static_cast<std::size_t>(base + offset);
    return 0;
}

int ZCALLBACK Close(voidpf, voidpf) { return 0; }
int ZCALLBACK Error(voidpf, voidpf) { return 0; }

zlib_filefunc64_def Functions(MemoryFile& file) { return {Open, ReadBytes, WriteBytes, Tell, Seek, Close, Error, &file}; }

// Archives far larger than any workbook of stations are refused unread.
constexpr ZPOS64_T kMaxMemberBytes = ZPOS64_T{512} << 20;

}  // namespace

struct ZipReader::Archive {
    MemoryFile file;
    unzFile zip = nullptr;
    ~Archive() {
        if (zip) unzClose(zip);
    }
};

ZipReader::ZipReader(std::string_view bytes) : archive_(std::make_unique<Archive>()) {
    archive_->file.readOnly = bytes;
    archive_->file.reading = true;
    zlib_filefunc64_def functions = Functions(archive_->file);
    archive_->zip = unzOpen2_64("", &functions);
    if (!archive_->zip) throw ZipError("это не архив ZIP");
}

ZipReader::~ZipReader() = default;

std::optional<std::string> ZipReader::Read(std::string_view name) {
    unzFile zip = archive_->zip;
    const std::string member(name);
    if (unzLocateFile(zip, member.c_str(), 2) != UNZ_OK) return std::nullopt;
    unz_file_info64 info{};
    if (unzGetCurrentFileInfo64(zip, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK) {
        throw ZipError("не читается оглавление архива");
    }
    if (info.uncompressed_size > kMaxMemberBytes) throw ZipError("часть «" + member + "» слишком велика");
    if (unzOpenCurrentFile(zip) != UNZ_OK) throw ZipError("часть «" + member + "» не распаковывается");
    std::string bytes(static_cast<std::size_t>(info.uncompressed_size), '\0');
    const int read = bytes.empty() ? 0 : unzReadCurrentFile(zip, bytes.data(), static_cast<unsigned>(bytes.size()));
    const int closed = unzCloseCurrentFile(zip);
    if (read != static_cast<int>(bytes.size()) || closed != UNZ_OK) {
        throw ZipError("часть «" + member + "» повреждена");
    }
    return bytes;
}

struct ZipWriter::Archive {
    MemoryFile file;
    zipFile zip = nullptr;
    ~Archive() {
        if (zip) zipClose(zip, nullptr);
    }
};

ZipWriter::ZipWriter() : archive_(std::make_unique<Archive>()) {
    zlib_filefunc64_def functions = Functions(archive_->file);
    archive_->zip = zipOpen2_64("", APPEND_STATUS_CREATE, nullptr, &functions);
    if (!archive_->zip) throw ZipError("нет памяти для архива");
}

ZipWriter::~ZipWriter() = default;

void ZipWriter::Add(std::string_view name, std::string_view bytes, std::time_t when) {
    zip_fileinfo info{};
    if (const std::tm* local = std::localtime(&when)) {
        // Its fields are int in zlib's own minizip, unsigned in Debian's.
        using Field = decltype(info.tmz_date.tm_sec);
        info.tmz_date = {static_cast<Field>(local->tm_sec),  static_cast<Field>(local->tm_min),
                         static_cast<Field>(local->tm_hour), static_cast<Field>(local->tm_mday),
                         static_cast<Field>(local->tm_mon),  static_cast<Field>(local->tm_year)};
    }
    constexpr uLong kUtf8Names = 1 << 11;  // the general purpose flag for UTF-8 names
    const std::string member(name);
    if (zipOpenNewFileInZip4_64(archive_->zip, member.c_str(), &info, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED,
                                Z_DEFAULT_COMPRESSION, 0, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY, nullptr, 0, 0,
                                kUtf8Names, 0) != ZIP_OK ||
        zipWriteInFileInZip(archive_->zip, bytes.data(), static_cast<unsigned>(bytes.size())) != ZIP_OK ||
        zipCloseFileInZip(archive_->zip) != ZIP_OK) {
        throw ZipError("не удалось добавить «" + member + "» в архив");
    }
}

std::string ZipWriter::Finish() {
    if (zipClose(std::exchange(archive_->zip, nullptr), nullptr) != ZIP_OK) throw ZipError("архив не дописан");
    return std::move(archive_->file.bytes);
}

}  // namespace korvel
