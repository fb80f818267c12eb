// 連名 as Japanese cards print them, measured from the PDF on every paper
// and in both directions: the family name once, the given names starting
// together, the honorifics in line.
#include "cardjob.h"
#include "fonts.h"
#include "paperlayout.h"
#include "pdftools.h"
#include "printoutput.h"

#include <QDir>
#include <QProcess>
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
    void hardCases_data();
    void hardCases();
    void longSenderPartedAtAWord();
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

void TestJointNames::hardCases_data() {
    QTest::addColumn<QStringList>("fields"); // a line of hard-cases.tsv
    QTest::addColumn<int>("paper");
    QTest::addColumn<bool>("vertical");
    QFile file(QFINDTESTDATA("../data/print/hard-cases.tsv"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    for (const QString &line : QString::fromUtf8(file.readAll()).split(u'\n')) {
        const QStringList fields = line.split(u'\t');
        if (line.startsWith(u'#') || fields.size() != 7)
            continue;
        for (const auto &[name, paper] :
             {std::pair{"postcard", Paper::Postcard}, std::pair{"return", Paper::ReturnOutgoing},
              std::pair{"A4", Paper::A4FourUp}})
            for (const bool vertical : {false, true}) {
                // The A4 sheets across keep the fixed positions of the book
                // format: a long line there is squeezed, not parted.
                if (paper == Paper::A4FourUp && !vertical && fields.at(5).isEmpty())
                    continue;
                QTest::addRow("%s, %s, %s", qPrintable(fields.at(0)), name,
                              vertical ? "down" : "across")
                    << fields << int(paper) << vertical;
            }
    }
}

// Cards that are hard to set, measured from the PDF: every word inside its
// card, nothing over anything else, every honorific printed, a name typed
// whole never parted, and the names as large as the address where there
// is room. Pictures of each at 300 dpi go to the build folder.
void TestJointNames::hardCases() {
    QFETCH(QStringList, fields);
    QFETCH(int, paper);
    QFETCH(bool, vertical);
    AddressRecord record =
        card(fields.at(1), QStringLiteral("1000001"), fields.at(3), fields.at(4));
    record.setField(AddressRecord::Honorific, fields.at(2));
    PrintJob input = job({record});
    input.vertical = vertical;
    JointNames joint;
    for (const QString &part : fields.at(5).split(u';', Qt::SkipEmptyParts))
        joint.append({part.section(u'/', 0, 0), part.section(u'/', 1)});
    input.jointNames = {joint};
    QTemporaryDir dir;
    const QString pdf = writePdf(dir, input, Paper(paper));
    QVERIFY(!pdf.isEmpty());
    const QString pictures = QDir(QCoreApplication::applicationDirPath()).filePath("hard-cases");
    QDir().mkpath(pictures);
    QProcess::execute(QStringLiteral("pdftoppm"),
                      {QStringLiteral("-r"), QStringLiteral("300"), QStringLiteral("-png"),
                       QStringLiteral("-singlefile"), pdf,
                       QDir(pictures).filePath(QString::fromUtf8(QTest::currentDataTag())
                                                   .replace(QStringLiteral(", "), "-")
                                                   .replace(u' ', u'_'))});
    const QList<PdfWord> words = firstCard(pdfWords(pdf), Paper(paper));
    QString all;
    for (const PdfWord &word : words)
        all += word.text + u' ';
    // Inside the card (or the outgoing half), clear of its edges.
    const std::unique_ptr<PaperLayout> layout = paperLayout(Paper(paper));
    const QRectF place = layout->cardTwips(0).translated(layout->originTwips());
    const QRectF cardMm(place.topLeft() * 25.4 / 1440, place.size() * 25.4 / 1440);
    for (const PdfWord &word : words) {
        const QRectF mm(word.box.topLeft() / PointsPerMm, word.box.size() / PointsPerMm);
        QVERIFY2(mm.left() >= cardMm.left() + 2.5 && mm.right() <= cardMm.right() - 2.5 &&
                     mm.bottom() <= cardMm.bottom() - 2.5,
                 qPrintable(QStringLiteral("%1 at %2–%3 mm: %4")
                                .arg(word.text)
                                .arg(mm.left())
                                .arg(mm.right())
                                .arg(all)));
    }
    // Nothing over anything else: down, between columns (within one, the
    // boxes of ー and small kana overlap their neighbours by the reader's
    // measure, not on paper).
    for (qsizetype i = 0; i < words.size(); ++i)
        for (qsizetype j = i + 1; j < words.size(); ++j) {
            const QRectF &a = words.at(i).box;
            const QRectF &b = words.at(j).box;
            if (vertical && std::abs(a.center().x() - b.center().x()) < PointsPerMm)
                continue;
            const QRectF both = a.intersected(b);
            QVERIFY2(both.width() * both.height() < 1,
                     qPrintable(words.at(i).text + QStringLiteral(" over ") + words.at(j).text +
                                QStringLiteral(": ") + all));
        }
    // Every honorific printed.
    const QString drawn = pdfDrawnText(pdf).remove(u' ');
    const QString word = honorificWord(fields.at(2));
    qsizetype honorifics = 1 + joint.size();
    qsizetype found = drawn.count(word);
    for (const JointName &other : joint)
        if (other.honorific != word)
            found += drawn.count(other.honorific);
    QVERIFY2(found >= honorifics, qPrintable(drawn));
    // A name typed whole is never parted: its start and end read together,
    // and its 連名 start where it starts.
    const QString name = fields.at(1);
    if (!name.contains(u' ') && !name.contains(u'　')) {
        QVERIFY2(drawn.contains(name.left(4)) && drawn.contains(name.right(3)), qPrintable(drawn));
        for (const JointName &other : joint) {
            const QList<double> starts = edges(words, {name.left(1), other.name.left(1)},
                                               {name.left(1), other.name.left(1)}, vertical);
            if (!vertical && name.size() <= 8)
                QVERIFY2(starts.size() == 2 && spread(starts) <= 0.3, qPrintable(all));
        }
    }
    // A long name down is parted at a word: the column its honorific ends
    // holds more of the name than its last character.
    if (vertical && name.size() >= 12 && joint.isEmpty()) {
        const auto last = std::find_if(words.rbegin(), words.rend(),
                                       [&](const PdfWord &w) { return w.text == name.right(1); });
        QVERIFY(last != words.rend());
        const auto inColumn = std::count_if(words.begin(), words.end(), [&](const PdfWord &w) {
            return name.contains(w.text) &&
                   std::abs(w.box.center().x() - last->box.center().x()) < PointsPerMm;
        });
        QVERIFY2(inColumn >= 3, qPrintable(all));
    }
    // The names as large as the address when the card has room (the A4
    // sheets' name line starts further in: less room across).
    if (fields.at(6) == QLatin1String("1") && (vertical || Paper(paper) != Paper::A4FourUp)) {
        double nameSize = 0, addressSize = 0;
        for (const PdfWord &w : words) {
            const double size = vertical ? w.box.width() : w.box.height();
            if (name.contains(w.text.left(1)))
                nameSize = std::max(nameSize, size);
            if (fields.at(3).startsWith(w.text.left(1)))
                addressSize = std::max(addressSize, size);
        }
        QVERIFY2(
            nameSize >= addressSize - 0.2,
            qPrintable(QStringLiteral("name %1 pt, address %2 pt").arg(nameSize).arg(addressSize)));
    }
}

// Down, a sender's long name typed whole goes on in a second column at a
// word, never inside one.
void TestJointNames::longSenderPartedAtAWord() {
    PrintJob input = job({card(QStringLiteral("山田 太郎"), QStringLiteral("1000001"),
                               QStringLiteral("東京都港区芝公園4-2-8"))});
    input.vertical = true;
    input.sender.name = QStringLiteral("株式会社日本はがきサービスセンター");
    QTemporaryDir dir;
    const QString pdf = writePdf(dir, input);
    QVERIFY(!pdf.isEmpty());
    const QList<PdfWord> words = firstCard(pdfWords(pdf), Paper::Postcard);
    const auto columnOf = [&](const QString &text) {
        for (const PdfWord &w : words)
            if (w.text == text)
                return w.box.center().x();
        return -1.0;
    };
    const double service = columnOf(QStringLiteral("サ"));
    QVERIFY(service > 0);
    for (const char *c : {"ビ", "ス", "セ", "日"})
        QVERIFY2(std::abs(columnOf(QString::fromUtf8(c)) - service) < PointsPerMm,
                 qPrintable(QString::fromUtf8(c)));
    QVERIFY(std::abs(columnOf(QStringLiteral("株")) - service) > 2 * PointsPerMm);
}

QTEST_MAIN(TestJointNames)
#include "tst_jointnames.moc"
