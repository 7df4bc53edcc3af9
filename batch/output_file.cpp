#include "batch/output_file.h"

#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <string>
#include <system_error>

namespace korvel::batch {

namespace {

std::filesystem::filesystem_error Failure(const char* what, const std::filesystem::path& path, int error) {
    return std::filesystem::filesystem_error(what, path, std::error_code(error, std::generic_category()));
}

}  // namespace

OutputFile::OutputFile(std::filesystem::path target) : target_(std::move(target)) {
    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; attempt < 100 && !file_; ++attempt) {
        temporary_ = target_;
        temporary_ += ".tmp-" + std::to_string(::getpid()) + "-" + std::to_string(counter++);
        // "x": never reuse a file that someone else has just created.
        file_ = std::fopen(temporary_.c_str(), "wbx");
        if (!file_ && errno != EEXIST) break;
    }
    if (!file_) throw Failure("cannot create", temporary_, errno);
    std::setvbuf(file_, nullptr, _IOFBF, 1 << 16);
}

OutputFile::~OutputFile() { Discard(); }

void OutputFile::Write(std::string_view bytes) {
    if (writeError_ == 0 && std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size()) {
        writeError_ = errno != 0 ? errno : EIO;
    }
}

void OutputFile::Commit() {
    int error = writeError_;
    if (!error && std::fflush(file_) != 0) error = errno;
    const int closed = std::fclose(file_);
    file_ = nullptr;
    if (!error && closed != 0) error = errno;
    if (error) {
        Discard();
        throw Failure("cannot write", target_, error);
    }
    std::error_code renamed;
    std::filesystem::rename(temporary_, target_, renamed);
    if (renamed) {
        Discard();
        throw std::filesystem::filesystem_error("cannot replace", target_, renamed);
    }
    temporary_.clear();
}

void OutputFile::Discard() noexcept {
    if (file_) std::fclose(file_);
    file_ = nullptr;
    if (!temporary_.empty()) {
        std::error_code ignored;
        std::filesystem::remove(temporary_, ignored);
        temporary_.clear();
    }
}

}  // namespace korvel::batch
