// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/atomic_file.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <string>
#include <system_error>

namespace korvel {

namespace {

const char* WhatOf(AtomicFile::Step step) {
    switch (step) {
        case AtomicFile::Step::Create:
            return "cannot create";
        case AtomicFile::Step::Write:
            return "cannot write";
        default:
            return "cannot replace";
    }
}

// A name beside the target that no other writer uses at the same moment;
// creation is exclusive, so a clash only costs another attempt.
std::filesystem::path TemporaryBeside(const std::filesystem::path& path, unsigned attempt) {
    static std::atomic<unsigned> counter{0};
    const auto ticks = static_cast<unsigned long long>(std::chrono::steady_clock::now().time_since_epoch().count());
    const unsigned long long tag = ticks * 31 + counter.fetch_add(1) * 7919ULL + attempt;
    char suffix[32];
    std::snprintf(suffix, sizeof suffix, ".%08llx.tmp", tag & 0xFFFFFFFFULL);
    std::filesystem::path temp = path;
    temp += suffix;
    return temp;
}

}  // namespace

AtomicFile::Error::Error(Step step, const std::filesystem::path& path, std::error_code error)
    : std::filesystem::filesystem_error(WhatOf(step), path, error), step_(step) {}

AtomicFile::Error::Error(Step step, const std::filesystem::path& path, int error)
    : Error(step, path, std::error_code(error, std::generic_category())) {}

AtomicFile::AtomicFile(std::filesystem::path target) : target_(std::move(target)) {
    for (unsigned attempt = 0; file_ == nullptr; ++attempt) {
        temporary_ = TemporaryBeside(target_, attempt);
        errno = 0;
#ifdef _WIN32
        file_ = _wfopen(temporary_.c_str(), L"wbx");
#else
        file_ = std::fopen(temporary_.c_str(), "wbx");
#endif
        if (file_ == nullptr && (errno != EEXIST || attempt == 100)) {
            const int error = errno;
            temporary_.clear();
            throw Error(Step::Create, target_, error);
        }
    }
    std::setvbuf(file_, nullptr, _IOFBF, 1 << 16);
}

AtomicFile::~AtomicFile() { Discard(); }

void AtomicFile::Write(std::string_view bytes) {
    if (writeError_ == 0 && std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size()) {
        writeError_ = errno != 0 ? errno : EIO;
    }
}

void AtomicFile::Commit() {
    int error = writeError_;
    if (error == 0 && std::fflush(file_) != 0) error = errno;
    const int closed = std::fclose(file_);
    file_ = nullptr;
    if (error == 0 && closed != 0) error = errno;
    if (error != 0) {
        Discard();
        throw Error(Step::Write, target_, error);
    }
    std::error_code renamed;
    std::filesystem::rename(temporary_, target_, renamed);
    if (renamed) {
        Discard();
        throw Error(Step::Replace, target_, renamed);
    }
    temporary_.clear();
}

void AtomicFile::Discard() noexcept {
    if (file_ != nullptr) std::fclose(file_);
    file_ = nullptr;
    if (!temporary_.empty()) {
        std::error_code ignored;
        std::filesystem::remove(temporary_, ignored);
        temporary_.clear();
    }
}

}  // namespace korvel
