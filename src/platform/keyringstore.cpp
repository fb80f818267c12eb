#include "keyringstore.h"

#include <QEventLoop>
#include <qt6keychain/keychain.h>

namespace nvl {

namespace {

const QString Service = QStringLiteral("nvl-hagaki");

// Runs a job to its end; its outcome as the windows need it.
SecretStore::Result finish(QKeychain::Job &job) {
    job.setAutoDelete(false);
    job.setInsecureFallback(false);
    QEventLoop loop;
    QObject::connect(&job, &QKeychain::Job::finished, &loop, &QEventLoop::quit);
    job.start();
    loop.exec();
    switch (job.error()) {
    case QKeychain::NoError:
        return {};
    case QKeychain::EntryNotFound:
        return {SecretStore::Outcome::NotFound, {}, job.errorString()};
    case QKeychain::NoBackendAvailable:
    case QKeychain::NotImplemented:
        return {SecretStore::Outcome::NoKeyring, {}, job.errorString()};
    case QKeychain::OtherError:
        // No session bus, one that cannot be reached, or no keyring service on it.
        if (job.errorString().contains(QLatin1String("D-Bus")) ||
            job.errorString().contains(QLatin1String("Could not connect")) ||
            job.errorString().contains(QLatin1String("org.freedesktop.secrets")))
            return {SecretStore::Outcome::NoKeyring, {}, job.errorString()};
        break;
    default:
        break;
    }
    return {SecretStore::Outcome::Failed, {}, job.errorString()};
}

} // namespace

SecretStore::Result KeyringStore::read(const QString &key) {
    QKeychain::ReadPasswordJob job(Service);
    job.setKey(key);
    Result result = finish(job);
    if (result.outcome == Outcome::Ok)
        result.secret = job.textData();
    return result;
}

SecretStore::Result KeyringStore::write(const QString &key, const QString &secret) {
    QKeychain::WritePasswordJob job(Service);
    job.setKey(key);
    job.setTextData(secret);
    return finish(job);
}

SecretStore::Result KeyringStore::remove(const QString &key) {
    QKeychain::DeletePasswordJob job(Service);
    job.setKey(key);
    return finish(job);
}

} // namespace nvl
