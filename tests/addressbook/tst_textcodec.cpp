#include "cp932.h"
#include "textcodec.h"
#include "textfile.h"

#include <QStringDecoder>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QtTest>

using namespace nvl;

class TestTextCodec : public QObject {
    Q_OBJECT
private slots:
    void cp932IsIcusWithWindowsControls();
    void encodes_data();
    void encodes();
    void decodes_data();
    void decodes();
    void atomicWriteReplacesWhole();
    void refusesWriteProtectedFile();
    void readFailures();
};

namespace {

constexpr char Icu[] = "windows-31j";

// ICU swaps three control codes; Windows, and every book, has them as themselves.
QString swapIcuControls(QString text, bool toIcu) {
    constexpr char16_t Swap[][2] = {{0x1A, 0x1C}, {0x1C, 0x7F}, {0x7F, 0x1A}};
    for (QChar &c : text) {
        for (const auto &pair : Swap) {
            if (c.unicode() == pair[toIcu ? 0 : 1]) {
                c = QChar(pair[toIcu ? 1 : 0]);
                break;
            }
        }
    }
    return text;
}

std::optional<QString> icuDecode(const QByteArray &bytes) {
    QStringDecoder decoder(Icu, QStringConverter::Flag::Stateless);
    const QString text = decoder.decode(bytes);
    return decoder.hasError() ? std::nullopt : std::optional(swapIcuControls(text, false));
}

} // namespace

void TestTextCodec::cp932IsIcusWithWindowsControls() {
    if (!QStringDecoder(Icu).isValid())
        QSKIP("this Qt has no ICU to compare with");
    for (int first = 0; first < 256; ++first) {
        const QByteArray single(1, char(first));
        QCOMPARE(decodeCp932(single), icuDecode(single));
        for (int second = 0; second < 256; ++second) {
            const QByteArray pair = single + char(second);
            const std::optional<QString> expected = icuDecode(pair);
            if (decodeCp932(pair) != expected)
                QFAIL(qPrintable(QStringLiteral("%1 decodes differently").arg(pair.toHex())));
        }
    }
    for (int code = 0; code < 0x10000; ++code) {
        const QString character{QChar(char16_t(code))};
        QStringEncoder encoder(Icu, QStringConverter::Flag::Stateless);
        const QByteArray icuBytes = encoder.encode(swapIcuControls(character, true));
        const std::optional<QByteArray> expected =
            encoder.hasError() || icuBytes.isEmpty() ? std::nullopt : std::optional(icuBytes);
        if (encodeCp932(character) != expected)
            QFAIL(qPrintable(QStringLiteral("U+%1 encodes differently").arg(code, 4, 16)));
    }
}

void TestTextCodec::encodes_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("encoding");

    const int cp = int(TextEncoding::Cp932);
    const int bom = int(TextEncoding::Utf8Bom);
    QTest::newRow("ascii") << QStringLiteral("abc,1") << QByteArray("abc,1") << cp;
    QTest::newRow("kanji") << QStringLiteral("山田") << QByteArray("\x8E\x52\x93\x63") << cp;
    QTest::newRow("half-width kana")
        << QStringLiteral("ﾊｶﾞｷ") << QByteArray("\xCA\xB6\xDE\xB7") << cp;
    QTest::newRow("wave dash folds to CP932 tilde") << QStringLiteral("1\u301C2")
                                                    << QByteArray("1\x81\x60"
                                                                  "2")
                                                    << cp;
    QTest::newRow("minus sign folds") << QStringLiteral("\u2212") << QByteArray("\x81\x7C") << cp;
    QTest::newRow("yen sign folds") << QStringLiteral("\u00A5") << QByteArray("\x81\x8F") << cp;
    QTest::newRow("surrogate pair needs UTF-8")
        << QStringLiteral("𠮷野") << QByteArray("\xEF\xBB\xBF\xF0\xA0\xAE\xB7\xE9\x87\x8E") << bom;
    QTest::newRow("鷗 needs UTF-8")
        << QStringLiteral("鷗") << QByteArray("\xEF\xBB\xBF\xE9\xB7\x97") << bom;
}

void TestTextCodec::encodes() {
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    QFETCH(int, encoding);
    TextEncoding used{};
    QCOMPARE(encodeText(text, &used), bytes);
    QCOMPARE(int(used), encoding);
    // Whatever was written reads back; only the folded characters change.
    auto decoded = decodeText(bytes);
    QVERIFY(decoded);
    QCOMPARE(decoded->encoding, used);
    if (used == TextEncoding::Utf8Bom)
        QCOMPARE(decoded->text, text);
}

void TestTextCodec::decodes_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("encoding");

    QTest::newRow("CP932") << QByteArray("\x8E\x52\x93\x63") << true << QStringLiteral("山田")
                           << int(TextEncoding::Cp932);
    QTest::newRow("UTF-8 with BOM") << QByteArray("\xEF\xBB\xBF\xE5\xB1\xB1") << true
                                    << QStringLiteral("山") << int(TextEncoding::Utf8Bom);
    QTest::newRow("UTF-8 without BOM, not CP932")
        << QByteArray("\xE5\xB1\xB1\xE7\x94\xB0") << true << QStringLiteral("山田")
        << int(TextEncoding::Utf8);
    QTest::newRow("half-width kana valid as UTF-8 too stay CP932")
        << QByteArray("\xCA\xB6\xDE\xB7") << true << QStringLiteral("ﾊｶﾞｷ")
        << int(TextEncoding::Cp932);
    QTest::newRow("NUL byte is not text") << QByteArray("ab\0cd", 5) << false << QString() << 0;
    QTest::newRow("neither CP932 nor UTF-8")
        << QByteArray("\x81\xFF\xFF") << false << QString() << 0;
}

void TestTextCodec::decodes() {
    QFETCH(QByteArray, bytes);
    QFETCH(bool, ok);
    auto decoded = decodeText(bytes);
    QCOMPARE(decoded.has_value(), ok);
    if (!ok)
        return;
    QFETCH(QString, text);
    QFETCH(int, encoding);
    QCOMPARE(decoded->text, text);
    QCOMPARE(int(decoded->encoding), encoding);
}

void TestTextCodec::atomicWriteReplacesWhole() {
    QTemporaryDir dir;
    const QString path = dir.filePath("a.txt");
    QVERIFY(writeTextFileAtomically(path, QStringLiteral("一行目\r\n")).ok);
    QVERIFY(writeTextFileAtomically(path, QStringLiteral("二\r\n")).ok);
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("\x93\xF1\r\n"));
    // No temporary file is left beside it.
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"a.txt"});
}

void TestTextCodec::refusesWriteProtectedFile() {
    QTemporaryDir dir;
    const QString path = dir.filePath("ro.dat");
    QVERIFY(writeTextFileAtomically(path, QStringLiteral("old\r\n")).ok);
    QFile::setPermissions(path, QFile::ReadOwner);
    const WriteResult result = writeTextFileAtomically(path, QStringLiteral("new\r\n"));
    QVERIFY(!result.ok);
    QVERIFY(result.error.contains(path));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("old\r\n"));
}

void TestTextCodec::readFailures() {
    QTemporaryDir dir;
    QCOMPARE(readTextFile(dir.filePath("none.dat")).status, TextFileRead::Status::Missing);
    QCOMPARE(readTextFile(dir.path()).status, TextFileRead::Status::Unreadable);
    const QString big = dir.filePath("big.dat");
    {
        QFile file(big);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QVERIFY(file.resize(MaxTextFileBytes + 1));
    }
    QCOMPARE(readTextFile(big).status, TextFileRead::Status::TooLarge);
    QVERIFY(describeReadFailure(big, TextFileRead::Status::TooLarge).contains(big));
}

QTEST_APPLESS_MAIN(TestTextCodec)
#include "tst_textcodec.moc"
