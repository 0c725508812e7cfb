#pragma once

#include "VeltoDevice/Enrollment/DeviceProfile.hpp"
#include "VeltoDevice/Enrollment/Enrollment.hpp"
#include "VeltoDevice/Enrollment/EnrollmentListStorage.hpp"
#include "VeltoDevice/Enrollment/EnrollmentStorage.hpp"
#include "VeltoDevice/Keys/DeviceKeyStorage.hpp"
#include "VeltoDevice/Keys/DeviceKeyring.hpp"
#include "VeltoDevice/Support/Bytes.hpp"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace velto {

/// The organizations this machine joined, kept consistent with their device keys: a key is written
/// before the list that names it is saved and deleted only after the list that no longer names it is
/// saved. Synchronous, and keyring calls may block: callers hold it as a StrandConfined<SavedEnrollments>
/// on the storage strand, so that its operations run off the I/O thread and never overlap (an
/// `add` beside a `refresh` would otherwise save over the other's change).
class SavedEnrollments {
public:
    SavedEnrollments(std::shared_ptr<DeviceKeyring> keys, std::shared_ptr<EnrollmentListStorage> enrollments);

    /// The saved list. A damaged list is reported (EnrollmentError::corruptEnrollments), not set aside.
    std::vector<Enrollment> load() const;

    /// Saves a newly joined enrollment with its key: in place of the first record of the same
    /// organization, else first in the list. Returns the record it replaced. A damaged list is set
    /// aside and replaced by a list of this enrollment alone. When saving fails, the key item is put
    /// back as it was.
    std::optional<Enrollment> add(const Enrollment& enrollment, const Bytes& keyData);

    /// Applies a profile to the saved record of the device id; returns the new record, or nothing when
    /// there is no such record or nothing changed (then nothing is written).
    std::optional<Enrollment> refresh(const std::string& deviceId, const DeviceProfile& profile);

    /// Forgets every record of the enrollment's device id, then its key.
    void remove(const Enrollment& enrollment);

    /// Moves the earlier single enrollment and its key into the list, then deletes both. A damaged
    /// earlier file is set aside with its key deleted, and reported as EnrollmentError::corruptEnrollment.
    void moveEarlierEnrollment(EnrollmentStorage& earlier, DeviceKeyStorage& earlierKey);

    const std::shared_ptr<DeviceKeyring>& keys() const { return keys_; }
    const std::shared_ptr<EnrollmentListStorage>& enrollments() const { return enrollments_; }

private:
    std::vector<Enrollment> listToChange();

    std::shared_ptr<DeviceKeyring> keys_;
    std::shared_ptr<EnrollmentListStorage> enrollments_;
};

} // namespace velto
