// Carrier of the precompiled header.
