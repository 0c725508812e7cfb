#pragma once

#include "VeltoDevice/Keys/DeviceKeyStorage.hpp"

#include <exception>
#include <mutex>
#include <optional>

namespace velto::testing {

/// One key blob held in memory. Each operation can be made to throw a given exception; a failing
/// operation changes nothing. Every call is counted, failed or not.
class InMemoryKeyStorage final : public DeviceKeyStorage {
public:
    InMemoryKeyStorage() = default;
    explicit InMemoryKeyStorage(Bytes contents) : contents_(std::move(contents)) {}

    std::optional<Bytes> read() const override;
    void write(const Bytes& data) override;
    void remove() override;

    /// What is stored, without counting as a read.
    std::optional<Bytes> contents() const;
    void setContents(std::optional<Bytes> contents);

    /// From now on the operation throws `error`; nullptr makes it succeed again.
    void failReads(std::exception_ptr error);
    void failWrites(std::exception_ptr error);
    void failRemoves(std::exception_ptr error);

    int readCount() const;
    int writeCount() const;
    int removeCount() const;

private:
    mutable std::mutex mutex_;
    std::optional<Bytes> contents_;
    std::exception_ptr readError_;
    std::exception_ptr writeError_;
    std::exception_ptr removeError_;
    mutable int reads_ = 0;
    int writes_ = 0;
    int removes_ = 0;
};

} // namespace velto::testing
