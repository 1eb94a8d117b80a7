#include "PasswordStore.h"

#include <libsecret/secret.h>

#include <QByteArray>
#include <QFileInfo>

namespace lumivex::ui {

namespace {

const SecretSchema* schema() {
    static const SecretSchema kSchema = {
        "org.zqx.Lumivex.Upload",
        SECRET_SCHEMA_NONE,
        {{"account", SECRET_SCHEMA_ATTRIBUTE_STRING}, {nullptr, SECRET_SCHEMA_ATTRIBUTE_STRING}},
        0,
        nullptr,
        nullptr,
        nullptr,
        nullptr,
        nullptr,
        nullptr,
        nullptr};
    return &kSchema;
}

}  // namespace

// Without a session bus GLib would try to start one of its own; there is no keyring then.
bool SecretServicePasswords::sessionBus() {
    if (!qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"))
        return true;
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    return !runtime.isEmpty() && QFileInfo::exists(runtime + QStringLiteral("/bus"));
}

std::optional<QString> SecretServicePasswords::find(const QString& account) {
    if (!sessionBus())
        return std::nullopt;
    GError* error = nullptr;
    const QByteArray key = account.toUtf8();
    gchar* found =
        secret_password_lookup_sync(schema(), nullptr, &error, "account", key.constData(), nullptr);
    if (error != nullptr)
        g_error_free(error);
    if (found == nullptr)
        return std::nullopt;
    const QString password = QString::fromUtf8(found);
    secret_password_free(found);
    return password;
}

void SecretServicePasswords::store(const QString& account, const QString& password) {
    if (!sessionBus())
        return;
    GError* error = nullptr;
    const QByteArray key = account.toUtf8();
    const QByteArray label = QStringLiteral("Lumivex upload to %1").arg(account).toUtf8();
    secret_password_store_sync(schema(), SECRET_COLLECTION_DEFAULT, label.constData(),
                               password.toUtf8().constData(), nullptr, &error, "account",
                               key.constData(), nullptr);
    if (error != nullptr)
        g_error_free(error);
}

void SecretServicePasswords::forget(const QString& account) {
    if (!sessionBus())
        return;
    GError* error = nullptr;
    const QByteArray key = account.toUtf8();
    secret_password_clear_sync(schema(), nullptr, &error, "account", key.constData(), nullptr);
    if (error != nullptr)
        g_error_free(error);
}

}  // namespace lumivex::ui
