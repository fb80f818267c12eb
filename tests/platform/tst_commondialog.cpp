#include "buildpaths.h"
#include "commondialog.h"
#include "fakeplatform.h"
#include "messagetext.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

using namespace nvl;

class TestCommonDialog : public QObject {
    Q_OBJECT
private slots:
    void filterConversion_data();
    void filterConversion();
    void keepsStateBetweenUses();
    void messageLines_data();
    void messageLines();
    void noLineStartsWithAParticle();
    void settingsNameWithoutCase_data();
    void settingsNameWithoutCase();
};

void TestCommonDialog::filterConversion_data() {
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QString>("qt");
    QTest::newRow("descriptions carry their patterns")
        << QStringLiteral("データファイル(*.dat)|*.dat|CSVファイル(*.csv)|*.csv")
        << QStringLiteral("データファイル(*.dat);;CSVファイル(*.csv)");
    QTest::newRow("pattern added when missing")
        << QStringLiteral("すべて|*.dat;*.csv") << QStringLiteral("すべて (*.dat *.csv)");
    QTest::newRow("several patterns in the caption, shown once")
        << QStringLiteral("連絡先ファイル(*.vcf;*.csv)|*.vcf;*.csv|vCard(*.vcf)|*.vcf")
        << QStringLiteral("連絡先ファイル(*.vcf *.csv);;vCard(*.vcf)");
    QTest::newRow("odd trailing part ignored")
        << QStringLiteral("A|*.a|B") << QStringLiteral("A (*.a)");
}

void TestCommonDialog::filterConversion() {
    QFETCH(QString, filter);
    QFETCH(QString, qt);
    QCOMPARE(toQtFilter(filter), qt);
}

void TestCommonDialog::keepsStateBetweenUses() {
    test::FakeFileDialogs service;
    CommonDialog dialog(service);
    dialog.initialFolder = QStringLiteral("/data");
    service.openAnswers = {QStringLiteral("/data/a.dat")};
    QCOMPARE(dialog.showOpen(), QStringLiteral("/data/a.dat"));
    dialog.confirmOverwrite = true;
    service.saveAnswers = {QString()};
    QCOMPARE(dialog.showSave(), QString());
    QCOMPARE(service.saveRequests.size(), 1);
    // The save dialog starts where the open dialog left it.
    QCOMPARE(service.saveRequests.at(0).initialFolder, QStringLiteral("/data"));
    QCOMPARE(service.saveRequests.at(0).fileName, QStringLiteral("/data/a.dat"));
    QVERIFY(service.saveRequests.at(0).confirmOverwrite);
    QCOMPARE(dialog.fileName, QString()); // cancelled: empty
}

namespace {

// Columns as a terminal counts them: two for a full-width character.
int columns(const QString &text) {
    int count = 0;
    for (QChar c : text)
        count += c.unicode() >= 0x1100 ? 2 : 1;
    return count;
}

} // namespace

void TestCommonDialog::messageLines_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("expected"); // empty: only the general rules are checked

    QTest::newRow("short stays") << QStringLiteral("削除しますか？")
                                 << QStringList{"削除しますか？"};
    QTest::newRow("line breaks kept")
        << QStringLiteral("一行目。\n二行目。") << QStringList{"一行目。", "二行目。"};
    QTest::newRow("after the full stop")
        << QStringLiteral("ファイルを保存しました。続けて印刷しますか？")
        << QStringList{"ファイルを保存しました。", "続けて印刷しますか？"};
    QTest::newRow("long path, no lone ん。")
        << QStringLiteral(
               "ファイル「/home/user/documents/addresses/2027/nenga.dat」が見つかりません。")
        << QStringList{};
    QTest::newRow("no closing mark first")
        << QStringLiteral("ああああああああああああああああああ、いいいいいいいい。")
        << QStringList{};
    QTest::newRow("one long word") << QString(60, u'x') << QStringList{};
    // A quoted path that fits a line is not cut, nor its particle taken away.
    QTest::newRow("quoted path whole")
        << QStringLiteral("ファイル「/tmp/nvl/abcdefghij/nvl.ini」は通常のファイルではありません。")
        << QStringList{"ファイル", "「/tmp/nvl/abcdefghij/nvl.ini」は通常の",
                       "ファイルではありません。"};
}

void TestCommonDialog::messageLines() {
    QFETCH(QString, text);
    QFETCH(QStringList, expected);
    constexpr int Limit = 40;
    const QString broken = breakMessageLines(text, columns, Limit);
    const QStringList lines = broken.split(u'\n');
    if (!expected.isEmpty())
        QCOMPARE(lines, expected);
    QCOMPARE(QString(broken).remove(u'\n'), QString(text).remove(u'\n'));
    for (const QString &line : lines) {
        QVERIFY2(columns(line) <= Limit, qPrintable(line));
        QVERIFY2(!QStringLiteral("。、」）").contains(line.at(0)), qPrintable(broken));
    }
    // A paragraph that needed breaking never ends in a scrap of a line.
    if (lines.size() > 1 && !text.contains(u'\n'))
        QVERIFY2(columns(lines.last()) * 4 >= Limit, qPrintable(broken));
}

namespace {

// Every tr("…") text of the program's sources, adjacent literals joined.
QStringList programMessages() {
    static const QRegularExpression call(
        QStringLiteral(R"re(\btr\(\s*((?:"(?:[^"\\]|\\.)*"\s*)+))re"));
    static const QRegularExpression literal(QStringLiteral(R"re("((?:[^"\\]|\\.)*)")re"));
    QStringList messages;
    QDirIterator files(test::programSources(), {QStringLiteral("*.cpp"), QStringLiteral("*.h")},
                       QDir::Files, QDirIterator::Subdirectories);
    while (files.hasNext()) {
        QFile file(files.next());
        if (!file.open(QIODevice::ReadOnly))
            continue;
        const QString source = QString::fromUtf8(file.readAll());
        for (const auto &found : call.globalMatch(source)) {
            QString text;
            for (const auto &part : literal.globalMatch(found.captured(1)))
                text += part.captured(1);
            messages.append(text.replace(QStringLiteral("\\n"), QStringLiteral("\n"))
                                .replace(QStringLiteral("\\\""), QStringLiteral("\"")));
        }
    }
    return messages;
}

} // namespace

// No line of any message starts with a particle or a closing mark cut
// from the word before it (「…」\nに), however its placeholders are filled
// and wherever the box breaks it.
void TestCommonDialog::noLineStartsWithAParticle() {
    const QStringList messages = programMessages();
    QVERIFY(messages.size() > 300);
    const QString particles = QStringLiteral("にをがはのでとへ」）』、。");
    const QString pauses = QStringLiteral("、。？！");
    const QStringList fillings{QStringLiteral("/home/user/documents/2027/nenga.dat"),
                               QStringLiteral("山田 太郎"), QStringLiteral("12")};
    QStringList faults;
    for (const QString &message : messages) {
        if (message.size() < 2) // a joining word, not a message
            continue;
        for (const QString &filling : fillings) {
            QString text = message;
            for (int n = 1; n <= 9; ++n)
                text.replace(QStringLiteral("%%1").arg(n), filling);
            const QStringList lines = breakMessageLines(text, columns, 56).split(u'\n');
            for (qsizetype i = 1; i < lines.size(); ++i)
                if (!lines.at(i).isEmpty() && particles.contains(lines.at(i).at(0)) &&
                    !lines.at(i - 1).isEmpty() && !pauses.contains(lines.at(i - 1).back()))
                    faults.append(lines.join(QStringLiteral(" / ")));
        }
    }
    faults.removeDuplicates();
    QVERIFY2(faults.isEmpty(), qPrintable(faults.join(u'\n')));
}

void TestCommonDialog::settingsNameWithoutCase_data() {
    QTest::addColumn<QStringList>("present"); // in the program folder
    QTest::addColumn<QStringList>("shipped"); // beside the executable
    QTest::addColumn<QString>("read");        // folder/name read, "" = none there
    QTest::addColumn<QString>("written");

    QTest::newRow("exact name") << QStringList{"Nuvel.ini"} << QStringList{} << "own/Nuvel.ini"
                                << "own/Nuvel.ini";
    QTest::newRow("upper case from another machine")
        << QStringList{"NUVEL.INI"} << QStringList{} << "own/NUVEL.INI"
        << "own/NUVEL.INI";
    QTest::newRow("both spellings: the exact one")
        << QStringList{"nuvel.ini", "Nuvel.ini"} << QStringList{} << "own/Nuvel.ini"
        << "own/Nuvel.ini";
    QTest::newRow("none: the exact name is created")
        << QStringList{"Other.ini"} << QStringList{} << "own/Nuvel.ini"
        << "own/Nuvel.ini";
    QTest::newRow("shipped copy in other case")
        << QStringList{} << QStringList{"NUVEL.ini"} << "exe/NUVEL.ini"
        << "own/Nuvel.ini";
}

void TestCommonDialog::settingsNameWithoutCase() {
    QFETCH(QStringList, present);
    QFETCH(QStringList, shipped);
    QFETCH(QString, read);
    QFETCH(QString, written);
    QTemporaryDir dir;
    QDir(dir.path()).mkpath(QStringLiteral("own"));
    QDir(dir.path()).mkpath(QStringLiteral("exe"));
    const auto touch = [&dir](const QString &relative) {
        QFile file(dir.filePath(relative));
        QVERIFY(file.open(QIODevice::WriteOnly));
    };
    for (const QString &name : present)
        touch(QStringLiteral("own/") + name);
    for (const QString &name : shipped)
        touch(QStringLiteral("exe/") + name);
    const QString own = dir.filePath(QStringLiteral("own"));
    const QString exe = dir.filePath(QStringLiteral("exe"));
    QCOMPARE(settingsFileIn(own, exe, QStringLiteral("Nuvel.ini")), dir.filePath(read));
    QCOMPARE(fileInFolder(own, QStringLiteral("Nuvel.ini")), dir.filePath(written));
}

QTEST_APPLESS_MAIN(TestCommonDialog)
#include "tst_commondialog.moc"
