#pragma once

#include "VeltoDevice/Keys/KeyStoreError.hpp"

typedef struct _GError GError;

namespace velto {

/// The keychain error of a failed Secret Service call: the error's code and its message, with the
/// D-Bus error name that GDBus puts in front of a remote error's message taken off.
KeyStoreError keychainFailure(const GError* error);

} // namespace velto
