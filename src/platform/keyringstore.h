#pragma once

#include "services.h"

namespace nvl {

// The desktop's keyring through QtKeychain (the Secret Service on Linux,
// the Keychain on macOS, the Credential Store on Windows), with its
// insecure fallback off: where no keyring answers, nothing is stored.
class KeyringStore : public SecretStore {
public:
    Result read(const QString &key) override;
    Result write(const QString &key, const QString &secret) override;
    Result remove(const QString &key) override;
};

} // namespace nvl
