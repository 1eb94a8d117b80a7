#pragma once

#include <QString>
#include <optional>

namespace lumivex::ui {

// Upload passwords, by account (user@host[:port]). They are kept in the desktop's keyring only,
// never in a file: without a keyring nothing is kept and the password is asked each time.
class PasswordStore {
public:
    virtual ~PasswordStore() = default;
    virtual std::optional<QString> find(const QString& account) = 0;
    virtual void store(const QString& account, const QString& password) = 0;
    virtual void forget(const QString& account) = 0;
};

// The Secret Service of the session (GNOME Keyring, KWallet) through libsecret. Failures are
// quiet: a password that cannot be kept is simply asked again next time.
class SecretServicePasswords final : public PasswordStore {
public:
    std::optional<QString> find(const QString& account) override;
    void store(const QString& account, const QString& password) override;
    void forget(const QString& account) override;

private:
    static bool sessionBus();
};

}  // namespace lumivex::ui
