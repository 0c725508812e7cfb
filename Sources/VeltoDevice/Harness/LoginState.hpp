#pragma once

namespace velto {

/// Whether the user is signed in to a harness tool. `unknown`: the sign-in command did not run to
/// an exit, or its answer matched none of the rules.
enum class LoginState { signedIn, signedOut, unknown };

} // namespace velto
