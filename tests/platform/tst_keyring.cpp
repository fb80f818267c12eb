// The real keyring: a password written is read back and removed; without a
// keyring nothing is stored and the store says so.
#include "keyringstore.h"

#include <QtTest>

using namespace nvl;

class TestKeyring : public QObject {
    Q_OBJECT
private slots:
    void keptInTheKeyring();
};

void TestKeyring::keptInTheKeyring() {
    KeyringStore store;
    const QString key = QStringLiteral("https://example.org/alice/book/|alice");
    if (!qEnvironmentVariableIsSet("NVL_KEYRING")) {
        const SecretStore::Result written = store.write(key, QStringLiteral("s3cret"));
        QVERIFY2(written.outcome == SecretStore::Outcome::NoKeyring, qPrintable(written.error));
        QCOMPARE(store.read(key).outcome, SecretStore::Outcome::NoKeyring);
        return;
    }
    QCOMPARE(store.read(key).outcome, SecretStore::Outcome::NotFound);
    QCOMPARE(store.write(key, QStringLiteral("s3cret")).outcome, SecretStore::Outcome::Ok);
    const SecretStore::Result read = store.read(key);
    QCOMPARE(read.outcome, SecretStore::Outcome::Ok);
    QCOMPARE(read.secret, QStringLiteral("s3cret"));
    QCOMPARE(store.remove(key).outcome, SecretStore::Outcome::Ok);
    QCOMPARE(store.read(key).outcome, SecretStore::Outcome::NotFound);
}

QTEST_GUILESS_MAIN(TestKeyring)
#include "tst_keyring.moc"
