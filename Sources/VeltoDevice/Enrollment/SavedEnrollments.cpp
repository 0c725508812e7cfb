#include "VeltoDevice/Enrollment/SavedEnrollments.hpp"

#include "VeltoDevice/Enrollment/EnrollmentError.hpp"

#include <algorithm>

namespace velto {

namespace {

/// Clean-up after the list is settled: a failure here must not undo what was saved.
template <typename Operation> void ignoringErrors(Operation operation) {
    try {
        operation();
    } catch (...) {
    }
}

bool names(const std::vector<Enrollment>& list, const std::string& deviceId) {
    return std::any_of(list.begin(), list.end(),
                       [&](const Enrollment& enrollment) { return enrollment.deviceId == deviceId; });
}

} // namespace

SavedEnrollments::SavedEnrollments(std::shared_ptr<DeviceKeyring> keys,
                                   std::shared_ptr<EnrollmentListStorage> enrollments)
    : keys_(std::move(keys)), enrollments_(std::move(enrollments)) {}

std::vector<Enrollment> SavedEnrollments::load() const {
    return enrollments_->load();
}

std::vector<Enrollment> SavedEnrollments::listToChange() {
    try {
        return enrollments_->load();
    } catch (const EnrollmentError& error) {
        if (error.kind() != EnrollmentError::Case::corruptEnrollments)
            throw;
    }
    enrollments_->setAsideCorrupt();
    return {};
}

std::optional<Enrollment> SavedEnrollments::add(const Enrollment& enrollment, const Bytes& keyData) {
    auto list = listToChange();

    std::optional<Enrollment> replaced;
    auto same = std::find_if(list.begin(), list.end(),
                             [&](const Enrollment& saved) { return saved.isSameOrganization(enrollment); });
    // A listed record of this device id already uses its key item: keep what is there so that a
    // failed save can put it back instead of leaving that record without a key.
    std::optional<Bytes> previousKey;
    auto item = keys_->item(enrollment.deviceId);
    if (names(list, enrollment.deviceId))
        previousKey = item->read();

    if (same != list.end()) {
        replaced = *same;
        *same = enrollment;
    } else {
        list.insert(list.begin(), enrollment);
    }

    auto restoreKey = [&] {
        ignoringErrors([&] {
            if (previousKey)
                item->write(*previousKey);
            else
                item->remove();
        });
    };
    try {
        item->write(keyData);
    } catch (...) {
        // A keychain write deletes before it adds, so a failed one may have taken the old key with it.
        if (previousKey)
            restoreKey();
        throw;
    }
    try {
        enrollments_->save(list);
    } catch (...) {
        restoreKey();
        throw;
    }

    if (replaced && replaced->deviceId != enrollment.deviceId)
        ignoringErrors([&] { keys_->item(replaced->deviceId)->remove(); });
    return replaced;
}

std::optional<Enrollment> SavedEnrollments::refresh(const std::string& deviceId,
                                                    const DeviceProfile& profile) {
    auto list = enrollments_->load();
    auto saved = std::find_if(list.begin(), list.end(),
                              [&](const Enrollment& enrollment) { return enrollment.deviceId == deviceId; });
    if (saved == list.end())
        return std::nullopt;
    Enrollment result = saved->updated(profile);
    if (result == *saved)
        return std::nullopt;
    *saved = result;
    enrollments_->save(list);
    return result;
}

void SavedEnrollments::remove(const Enrollment& enrollment) {
    auto list = listToChange();
    std::erase_if(list, [&](const Enrollment& saved) { return saved.deviceId == enrollment.deviceId; });
    enrollments_->save(list);
    ignoringErrors([&] { keys_->item(enrollment.deviceId)->remove(); });
}

void SavedEnrollments::moveEarlierEnrollment(EnrollmentStorage& earlier, DeviceKeyStorage& earlierKey) {
    std::optional<Enrollment> enrollment;
    try {
        enrollment = earlier.load();
    } catch (const EnrollmentError& error) {
        if (error.kind() != EnrollmentError::Case::corruptEnrollment)
            throw;
        earlier.setAsideCorrupt();
        ignoringErrors([&] { earlierKey.remove(); });
        throw;
    }
    if (!enrollment)
        return;

    auto key = earlierKey.read();
    auto list = enrollments_->load();
    if (!names(list, enrollment->deviceId)) {
        auto item = keys_->item(enrollment->deviceId);
        if (key)
            item->write(*key);
        list.insert(list.begin(), *enrollment);
        try {
            enrollments_->save(list);
        } catch (...) {
            ignoringErrors([&] { item->remove(); });
            throw;
        }
    }
    earlier.remove();
    ignoringErrors([&] { earlierKey.remove(); });
}

} // namespace velto
