// 連名 as Japanese cards print them, measured from the PDF on every paper
// and in both directions: the family name once, the given names starting
// together, the honorifics in line.
#include "cardjob.h"
#include "fonts.h"
#include "pdftools.h"
#include "printoutput.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace nvl;
using namespace nvl::test;

namespace {

constexpr double PointsPerMm = 72 / 25.4;

const JointNames Family = {{QStringLiteral("花子"), QStringLiteral("様")},
                           {QStringLiteral("健太"), QStringLiteral("くん")},
                           {QStringLiteral("鈴木 一郎"), QStringLiteral("様")}};

// The words of page 1 in the first card's place.
QList<PdfWord> firstCard(const QList<PdfWord> &words, Paper paper) {
    const QRectF area = paper == Paper::A4FourUp  ? QRectF(0, 0, 105, 148.5)
                        : paper == Paper::A4TwoUp ? QRectF(0, 0, 210, 148.5)
                                                  : QRectF(0, 0, 100, 148);
    QList<PdfWord> found;
    for (const PdfWord &word : words)
        if (word.page == 1 && area.contains(word.box.center() / PointsPerMm))
            found.append(word);
    return found;
}

// Across: the left edges of the words; down: the top of the character that
// starts each named column (found by a character only it holds).
QList<double> edges(const QList<PdfWord> &words, const QStringList &starts,
                    const QStringList &columns, bool vertical) {
    QList<double> found;
    for (qsizetype i = 0; i < starts.size(); ++i) {
        if (!vertical) {
            const auto word = std::find_if(words.begin(), words.end(), [&](const PdfWord &w) {
                return w.text.startsWith(starts.at(i));
            });
            if (word != words.end())
                found.append(word->box.left());
            continue;
        }
        double column = -1;
        for (const PdfWord &word : words)
            if (word.text == columns.at(i))
                column = word.box.center().x();
        for (const PdfWord &word : words)
            if (column >= 0 && word.text == starts.at(i) &&
                qAbs(word.box.center().x() - column) < PointsPerMm)
                found.append(word.box.top());
    }
    return found;
}

double spread(const QList<double> &values) {
    if (values.isEmpty())
        return 1e9;
    const auto [low, high] = std::minmax_element(values.begin(), values.end());
    return (*high - *low) / PointsPerMm;
}

} // namespace

class TestJointNames : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { installFontSubstitutions(); }
    void splitNames_data();
    void splitNames();
    void aligned_data();
    void aligned();
};

void TestJointNames::splitNames_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("family");
    QTest::addColumn<QString>("given");
    QTest::newRow("half-width blank") << "山田 太郎"
                                      << "山田"
                                      << "太郎";
    QTest::newRow("full-width blank") << "佐々木　美穂子"
                                      << "佐々木"
                                      << "美穂子";
    QTest::newRow("no blank: two characters") << "山田太郎"
                                              << "山田"
                                              << "太郎";
    QTest::newRow("one name") << "林"
                              << "林"
                              << "";
}

void TestJointNames::splitNames() {
    QFETCH(QString, name);
    QFETCH(QString, family);
    QFETCH(QString, given);
    const SplitName split = splitName(name);
    QCOMPARE(split.family, family);
    QCOMPARE(split.given, given);
}

void TestJointNames::aligned_data() {
    QTest::addColumn<int>("paper");
    QTest::addColumn<bool>("vertical");
    for (const auto &[name, paper] :
         {std::pair{"A4 four up", Paper::A4FourUp}, std::pair{"A4 two up", Paper::A4TwoUp},
          std::pair{"postcard", Paper::Postcard},
          std::pair{"return postcard", Paper::ReturnOutgoing}})
        for (const bool vertical : {false, true})
            QTest::addRow("%s, %s", name, vertical ? "down" : "across") << int(paper) << vertical;
}

void TestJointNames::aligned() {
    QFETCH(int, paper);
    QFETCH(bool, vertical);
    PrintJob input =
        job({card(QStringLiteral("山田 太郎"), QStringLiteral("1000001"),
                  QStringLiteral("東京都港区"), {}, {}, QStringLiteral("CODE-1234567890"))});
    input.sender.name = QStringLiteral("送り主");
    input.vertical = vertical;
    input.jointNames = {Family};
    QTemporaryDir dir;
    const QString pdf = writePdf(dir, input, Paper(paper));
    QVERIFY(!pdf.isEmpty());
    const QList<PdfWord> words = firstCard(pdfWords(pdf), Paper(paper));
    QString all;
    for (const PdfWord &word : words)
        all += word.text + u' ';
    const QStringList columns{"山", "花", "健", "鈴"};
    const QList<double> given = edges(words, {"太", "花", "健", "一"}, columns, vertical);
    QList<double> honorifics;
    if (vertical)
        honorifics = edges(words, {"様", "様", "く", "様"}, columns, true);
    else
        for (const PdfWord &word : words)
            if (word.text == QStringLiteral("様") || word.text == QStringLiteral("くん"))
                honorifics.append(word.box.left());
    QVERIFY2(
        given.size() == 4 && spread(given) <= 0.3,
        qPrintable(QStringLiteral("given names at %1 mm apart: %2").arg(spread(given)).arg(all)));
    QVERIFY2(honorifics.size() == 4 && spread(honorifics) <= 0.3,
             qPrintable(QStringLiteral("%1 honorifics %2 mm apart: %3")
                            .arg(honorifics.size())
                            .arg(spread(honorifics))
                            .arg(all)));
    QCOMPARE(all.count(QStringLiteral("山")), 1);
    QCOMPARE(all.count(QStringLiteral("鈴")), 1);
    // Nothing printed over anything else (the code line makes way).
    for (qsizetype i = 0; i < words.size(); ++i)
        for (qsizetype j = i + 1; j < words.size(); ++j) {
            const QRectF both = words.at(i).box.intersected(words.at(j).box);
            QVERIFY2(both.width() * both.height() < 1,
                     qPrintable(words.at(i).text + QStringLiteral(" over ") + words.at(j).text));
        }
}

QTEST_MAIN(TestJointNames)
#include "tst_jointnames.moc"
