#include "InMemoryKeyStorage.hpp"

namespace velto::testing {

std::optional<Bytes> InMemoryKeyStorage::read() const {
    std::lock_guard lock(mutex_);
    ++reads_;
    if (readError_)
        std::rethrow_exception(readError_);
    return contents_;
}

void InMemoryKeyStorage::write(const Bytes& data) {
    std::lock_guard lock(mutex_);
    ++writes_;
    if (writeError_)
        std::rethrow_exception(writeError_);
    contents_ = data;
}

void InMemoryKeyStorage::remove() {
    std::lock_guard lock(mutex_);
    ++removes_;
    if (removeError_)
        std::rethrow_exception(removeError_);
    contents_.reset();
}

std::optional<Bytes> InMemoryKeyStorage::contents() const {
    std::lock_guard lock(mutex_);
    return contents_;
}

void InMemoryKeyStorage::setContents(std::optional<Bytes> contents) {
    std::lock_guard lock(mutex_);
    contents_ = std::move(contents);
}

void InMemoryKeyStorage::failReads(std::exception_ptr error) {
    std::lock_guard lock(mutex_);
    readError_ = std::move(error);
}

void InMemoryKeyStorage::failWrites(std::exception_ptr error) {
    std::lock_guard lock(mutex_);
    writeError_ = std::move(error);
}

void InMemoryKeyStorage::failRemoves(std::exception_ptr error) {
    std::lock_guard lock(mutex_);
    removeError_ = std::move(error);
}

int InMemoryKeyStorage::readCount() const {
    std::lock_guard lock(mutex_);
    return reads_;
}

int InMemoryKeyStorage::writeCount() const {
    std::lock_guard lock(mutex_);
    return writes_;
}

int InMemoryKeyStorage::removeCount() const {
    std::lock_guard lock(mutex_);
    return removes_;
}

} // namespace velto::testing
