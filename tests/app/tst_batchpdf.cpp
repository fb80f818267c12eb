// The command-line PDF printer, run as its own process without a display.
#include "bookdocument.h"
#include "buildpaths.h"
#include "fakeplatform.h"
#include "jointnames.h"
#include "pdftools.h"
#include "recordsearch.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using namespace nvl::test;

class TestBatchPdf : public QObject {
    Q_OBJECT
private slots:
    void init();
    void help();
    void prints_data();
    void prints();
    void failures_data();
    void failures();
    void fonts();
    void warnsOfCardsWithoutHonorific();
    void postcardPaperIgnoresSheetOffsets();
    void warnsOfDoubtfulPostalCodes();
    void zipCommand_data();
    void zipCommand();
    void a4PositionsKept();
    void longLinesStayInTheirQuarter();
    void jointNamesFromTheCompanion();
    void unfittedCardsNamed();
    void blankCodeIsEmpty();
    void verticalTextSearchable();

private:
    int run(const QStringList &arguments, QString *errors = nullptr);
    QString path(const QString &name) const { return m_dir->filePath(name); }
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestBatchPdf::init() {
    // A copy of the program in its own folder, which is then its program
    // folder with its own Wolt.tds and Nuvel.opt.
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(QFile::copy(builtProgram(), path(QStringLiteral("nvl-hagaki"))));
    QString book;
    for (int i = 1; i <= 5; ++i)
        book += QStringLiteral(
                    "\"宛名%1\",\"住所%1\",\"千代田区番地%1\",\"100-000%1\",\"\",\"0\",\"\"\r\n")
                    .arg(i);
    writeBytes(path(QStringLiteral("book.dat")), cp932(book));
    // Tags and a reading in the book's companion, for the selections.
    nvl::BookDocument document;
    QVERIFY(document.load(path(QStringLiteral("book.dat"))).ok());
    for (const int row : {0, 2})
        document.setRecordData(row, nvl::withTags({}, {QStringLiteral("家族")}));
    document.setRecordData(1, nvl::withReading({}, QStringLiteral("あてなに")));
    document.setRecordData(3, nvl::withMark({}, 2027, nvl::YearMark::Mourning, true));
    QVERIFY(document.save().ok());
    QString senders;
    for (int i = 1; i <= 4; ++i)
        senders += QStringLiteral("\"100-000%1\",\"差出住所%1\",\"\",\"差出人%1\"\r\n").arg(i);
    writeBytes(path(QStringLiteral("Wolt.tds")), cp932(senders));
}

int TestBatchPdf::run(const QStringList &arguments, QString *errors) {
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    // As on a server without a desktop session: Qt notices the missing runtime folder.
    env.remove(QStringLiteral("XDG_RUNTIME_DIR"));
    process.setProcessEnvironment(env);
    process.start(path(QStringLiteral("nvl-hagaki")), QStringList{"print-pdf"} + arguments);
    if (!process.waitForFinished(60000))
        return -1;
    if (errors)
        *errors = QString::fromUtf8(process.readAllStandardError());
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

void TestBatchPdf::help() {
    QProcess process;
    process.start(path(QStringLiteral("nvl-hagaki")), {"print-pdf", "--help"});
    QVERIFY(process.waitForFinished(60000));
    QCOMPARE(process.exitCode(), 0);
    const QString text = QString::fromUtf8(process.readAllStandardOutput());
    for (const char *option : {"--two-up", "--sender", "--font", "--zip-font", "--records"})
        QVERIFY2(text.contains(QLatin1String(option)), option);
}

void TestBatchPdf::prints_data() {
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<int>("pages");
    QTest::addColumn<QStringList>("present");
    QTest::addColumn<QStringList>("absent");
    QTest::newRow("four-up") << QStringList{} << 2 << QStringList{"宛名1", "宛名5", "差出人1"}
                             << QStringList{"差出人2"};
    QTest::newRow("two-up") << QStringList{"--two-up"} << 3 << QStringList{"宛名5"}
                            << QStringList{};
    QTest::newRow("records in order") << QStringList{"--records", "3,1"} << 1
                                      << QStringList{"宛名3", "宛名1"} << QStringList{"宛名2"};
    QTest::newRow("--tag") << QStringList{"--tag", "家族"} << 1 << QStringList{"宛名1", "宛名3"}
                           << QStringList{"宛名2", "宛名4"};
    QTest::newRow("--search by reading with --records: both hold")
        << QStringList{"--search", "ｱﾃﾅﾆ", "--records", "1-2"} << 1 << QStringList{"宛名2"}
        << QStringList{"宛名1"};
    QTest::newRow("--not-mourning leaves out the card in mourning")
        << QStringList{"--not-mourning", "2027"} << 1 << QStringList{"宛名1", "宛名3", "宛名5"}
        << QStringList{"宛名4"};
    QTest::newRow("sender 2") << QStringList{"--sender", "2"} << 2 << QStringList{"差出人2"}
                              << QStringList{"差出人1"};
    QTest::newRow("postcard paper, one a page")
        << QStringList{"--paper", "hagaki"} << 5 << QStringList{"宛名1", "宛名5", "差出人1"}
        << QStringList{};
    QTest::newRow("return postcards, outgoing faces")
        << QStringList{"--paper", "ofuku"} << 5 << QStringList{"宛名1", "宛名5", "差出人1"}
        << QStringList{"行"};
    // Written downwards, the name's number upright: each column read whole,
    // as a reader's search finds it.
    QTest::newRow("vertical") << QStringList{"--vertical"} << 2 << QStringList{"宛名５"}
                              << QStringList{"宛名1", "宛名5"};
    QTest::newRow("vertical postcards, Arabic numerals")
        << QStringList{"--paper", "hagaki", "--vertical", "--arabic-numerals"} << 5
        << QStringList{"宛名５"} << QStringList{"宛名1"};
    QTest::newRow("return postcards, reply faces")
        << QStringList{"--paper", "ofuku-reply", "--sender", "2"} << 5
        << QStringList{"差出人2", "行"} << QStringList{"宛名1"};
}

void TestBatchPdf::prints() {
    QFETCH(QStringList, options);
    QFETCH(int, pages);
    QFETCH(QStringList, present);
    QFETCH(QStringList, absent);
    const QString pdf = path(QStringLiteral("out.pdf"));
    QString errors;
    QCOMPARE(run(QStringList{path(QStringLiteral("book.dat")), pdf} + options, &errors), 0);
    QCOMPARE(pdfPageCount(pdf), pages);
    QStringList texts;
    for (const PdfWord &word : pdfWords(pdf))
        texts.append(word.text);
    // Success is silent, but for the card marked 喪中 this card year, which
    // is named whenever it prints.
    const QString mourning =
        QStringLiteral("nvl-hagaki print-pdf: 次の1枚は%1年の喪中と記録されています。\n宛名4\n")
            .arg(nvl::cardYear(QDate::currentDate()));
    // (Reply faces carry the sender, but are printed for the same cards.)
    const bool fourPrinted = texts.contains(QStringLiteral("宛名4")) ||
                             texts.contains(QStringLiteral("宛名４")) ||
                             options.contains(QStringLiteral("ofuku-reply"));
    QCOMPARE(errors, fourPrinted ? mourning : QString());
    for (const QString &text : present)
        QVERIFY2(texts.contains(text), qPrintable(text));
    for (const QString &text : absent)
        QVERIFY2(!texts.contains(text), qPrintable(text));
    if (options == QStringList{"--records", "3,1"}) {
        const QList<PdfWord> words = pdfWords(pdf);
        const auto x = [&words](const QString &text) {
            for (const PdfWord &w : words)
                if (w.text == text)
                    return w.box.left();
            return -1.0;
        };
        QVERIFY(x(QStringLiteral("宛名3")) < x(QStringLiteral("宛名1"))); // record 3 first: left
    }
}

void TestBatchPdf::failures_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("message");
    QTest::addColumn<int>("status"); // 1 failure, 2 usage error
    QTest::newRow("missing book") << QStringList{"none.dat", "out.pdf"}
                                  << QStringLiteral("none.dat") << 1;
    QTest::newRow("bad records") << QStringList{"book.dat", "out.pdf", "--records", "2-9"}
                                 << QStringLiteral("--records") << 2;
    QTest::newRow("bad sender") << QStringList{"book.dat", "out.pdf", "--sender", "5"}
                                << QStringLiteral("--sender") << 2;
    QTest::newRow("missing arguments") << QStringList{"book.dat"} << QStringLiteral("usage") << 2;
    QTest::newRow("unknown option")
        << QStringList{"book.dat", "out.pdf", "--colour"} << QStringLiteral("colour") << 2;
    QTest::newRow("unknown paper")
        << QStringList{"book.dat", "out.pdf", "--paper", "b5"} << QStringLiteral("--paper") << 2;
    QTest::newRow("two-up on postcards")
        << QStringList{"book.dat", "out.pdf", "--paper", "hagaki", "--two-up"}
        << QStringLiteral("--two-up") << 2;
    QTest::newRow("Arabic numerals without vertical")
        << QStringList{"book.dat", "out.pdf", "--arabic-numerals"} << QStringLiteral("--vertical")
        << 2;
    QTest::newRow("a selection of nothing")
        << QStringList{"book.dat", "out.pdf", "--records", "2", "--tag", "家族"}
        << QStringLiteral("条件に合う宛名がありません") << 1;
    QTest::newRow("unwritable output")
        << QStringList{"book.dat", "no/such/dir/out.pdf"} << QStringLiteral("out.pdf") << 1;
}

void TestBatchPdf::failures() {
    QFETCH(QStringList, arguments);
    QFETCH(QString, message);
    QFETCH(int, status);
    QStringList absolute;
    for (const QString &argument : arguments)
        absolute.append(argument.endsWith(QLatin1String(".dat")) ||
                                argument.endsWith(QLatin1String(".pdf"))
                            ? path(argument)
                            : argument);
    QString errors;
    QCOMPARE(run(absolute, &errors), status);
    QVERIFY2(errors.contains(message), qPrintable(errors));
    QVERIFY(!QFile::exists(path(QStringLiteral("out.pdf"))));
}

void TestBatchPdf::fonts() {
    // A bad postal code names its record and prints nothing.
    writeBytes(path(QStringLiteral("bad.dat")),
               cp932(QStringLiteral("\"悪い番号\",\"\",\"\",\"12x-4567\",\"\",\"0\",\"\"\r\n")));
    QString errors;
    QVERIFY(run({path(QStringLiteral("bad.dat")), path(QStringLiteral("bad.pdf"))}, &errors) != 0);
    QVERIFY2(errors.contains(QStringLiteral("悪い番号")) &&
                 errors.contains(QStringLiteral("12x-4567")),
             qPrintable(errors));

    // The address font is embedded; the postal-code digits keep their own font.
    const QString pdf = path(QStringLiteral("gothic.pdf"));
    QCOMPARE(
        run({path(QStringLiteral("book.dat")), pdf, "--font", "IPAGothic", "--zip-font", "OCR-B"}),
        0);
    const QStringList fonts = pdfFonts(pdf);
    QVERIFY2(fonts.contains(QStringLiteral("IPAGothic")), qPrintable(fonts.join(',')));
    QVERIFY2(std::any_of(fonts.begin(), fonts.end(),
                         [](const QString &f) { return f.startsWith(QLatin1String("OCRB")); }),
             qPrintable(fonts.join(',')));
    QVERIFY(!fonts.contains(QStringLiteral("IPAMincho")));

    // A font that is not installed: Mincho, and the user is told.
    QCOMPARE(run({path(QStringLiteral("book.dat")), pdf, "--font", "No Such Font"}, &errors), 0);
    QVERIFY2(errors.contains(QStringLiteral("No Such Font")), qPrintable(errors));
    QVERIFY(pdfFonts(pdf).contains(QStringLiteral("IPAMincho")));
}

void TestBatchPdf::warnsOfCardsWithoutHonorific() {
    // Codes 0..5 name a word (text reads as 0: 様); 9 and -1 name none.
    writeBytes(
        path(QStringLiteral("odd.dat")),
        cp932(QStringLiteral("\"普通\",\"千代田区\",\"\",\"100-0001\",\"\",\"5\",\"\"\r\n"
                             "\"九番\",\"千代田区\",\"\",\"100-0001\",\"A1\",\"9\",\"\"\r\n"
                             "\"文字\",\"千代田区\",\"\",\"100-0001\",\"\",\"x\",\"\"\r\n"
                             "\"無し\",\"千代田区\",\"\",\"100-0001\",\"\",\"-1\",\"\"\r\n")));
    const QString pdf = path(QStringLiteral("odd.pdf"));
    QString errors;
    QCOMPARE(run({path(QStringLiteral("odd.dat")), pdf}, &errors), 0);
    QVERIFY(QFile::exists(pdf));
    QVERIFY2(errors.contains(QStringLiteral("九番（コード 9）")), qPrintable(errors));
    QVERIFY2(errors.contains(QStringLiteral("無し（コード -1）")), qPrintable(errors));
    QVERIFY2(errors.contains(QStringLiteral("次の2枚")), qPrintable(errors));
    QVERIFY2(!errors.contains(QStringLiteral("普通")), qPrintable(errors));
    QVERIFY2(!errors.contains(QStringLiteral("文字")), qPrintable(errors));
    // Said once, not once a card.
    QCOMPARE(errors.count(QStringLiteral("敬称なしで印刷")), 1);
}

void TestBatchPdf::postcardPaperIgnoresSheetOffsets() {
    // Nuvel.opt adjusts the A4 sheets; postcard paper is placed from the
    // card's own geometry, whatever the file says.
    const QString plain = path(QStringLiteral("plain.pdf"));
    QCOMPARE(run({path(QStringLiteral("book.dat")), plain, "--paper", "hagaki"}), 0);
    writeBytes(path(QStringLiteral("Nuvel.opt")), QByteArray("\"1640\",\"1080\",\"7\"\r\n"));
    const QString shifted = path(QStringLiteral("shifted.pdf"));
    QCOMPARE(run({path(QStringLiteral("book.dat")), shifted, "--paper", "hagaki"}), 0);
    const QList<PdfWord> a = pdfWords(plain);
    const QList<PdfWord> b = pdfWords(shifted);
    QCOMPARE(a.size(), b.size());
    for (qsizetype i = 0; i < a.size(); ++i)
        QCOMPARE(a.at(i).box, b.at(i).box);
    // The A4 sheets do follow it.
    const QString sheet = path(QStringLiteral("sheet.pdf"));
    QCOMPARE(run({path(QStringLiteral("book.dat")), sheet}), 0);
    writeBytes(path(QStringLiteral("Nuvel.opt")), QByteArray("\"1440\",\"880\",\"0\"\r\n"));
    const QString neutral = path(QStringLiteral("neutral.pdf"));
    QCOMPARE(run({path(QStringLiteral("book.dat")), neutral}), 0);
    QVERIFY(pdfWords(sheet).first().box != pdfWords(neutral).first().box);
}

void TestBatchPdf::warnsOfDoubtfulPostalCodes() {
    writeBytes(path(QStringLiteral("codes.dat")),
               cp932(QStringLiteral(
                   "\"合う\",\"東京都千代田区千代田1-1\",\"\",\"100-0001\",\"\",\"0\",\"\"\r\n"
                   "\"違う\",\"大阪府大阪市北区梅田1\",\"\",\"100-0001\",\"\",\"0\",\"\"\r\n"
                   "\"無い\",\"東京都千代田区\",\"\",\"000-0000\",\"\",\"0\",\"\"\r\n"
                   "\"都庁\",\"東京都新宿区西新宿2-8-1\",\"\",\"163-8001\",\"\",\"2\",\"\"\r\n")));
    QString errors;
    QCOMPARE(run({path(QStringLiteral("codes.dat")), path(QStringLiteral("codes.pdf"))}, &errors),
             0);
    QVERIFY2(errors.contains(QStringLiteral("違う（〒100-0001）大阪府大阪市北区梅田1")),
             qPrintable(errors));
    QVERIFY2(errors.contains(QStringLiteral("郵便番号データにありません（事業所の個別番号かもしれ"
                                            "ません）。\n無い（〒000-0000）")),
             qPrintable(errors));
    // A business's own code is known.
    for (const char *known : {"合う", "都庁"})
        QVERIFY2(!errors.contains(QString::fromUtf8(known)), qPrintable(errors));
}

void TestBatchPdf::zipCommand_data() {
    QTest::addColumn<QString>("asked");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("output");
    QTest::newRow("a code") << "1000001" << 0 << "1000001\t東京都\t千代田区\t千代田\n";
    QTest::newRow("a code in full width")
        << QStringLiteral("１００－０００１") << 0 << "1000001\t東京都\t千代田区\t千代田\n";
    QTest::newRow("several towns")
        << "0985701" << 0
        << "0985701\t北海道\t枝幸郡浜頓別町\t栄和\n0985701\t北海道\t枝幸郡浜頓別町\t頓別\n";
    QTest::newRow("an address") << QStringLiteral("東京都千代田区千代田1-1") << 0
                                << "1000001\t東京都\t千代田区\t千代田\n";
    QTest::newRow("nothing") << "0000000" << 1 << "";
    QTest::newRow("a business") << "1638001" << 0
                                << "1638001\t東京都\t新宿区\t西新宿\t\t\t2丁目8-1\t東京都庁\n";
    QTest::newRow("a building's floor")
        << "1006310" << 0 << "1006310\t東京都\t千代田区\t丸の内\t\t丸の内ビルディング10階\n";
}

void TestBatchPdf::zipCommand() {
    QFETCH(QString, asked);
    QFETCH(int, status);
    QFETCH(QString, output);
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    process.setProcessEnvironment(env);
    process.start(path(QStringLiteral("nvl-hagaki")), {QStringLiteral("zip"), asked});
    QVERIFY(process.waitForFinished(60000));
    QCOMPARE(process.exitCode(), status);
    QCOMPARE(QString::fromUtf8(process.readAllStandardOutput()), output);
    QCOMPARE(process.readAllStandardError().isEmpty(), status == 0);
}

// Each word of the A4 sheets where the recorded output put it, to 0.01 mm.
void TestBatchPdf::a4PositionsKept() {
    QFile recorded(QFINDTESTDATA("../data/print/a4-positions.txt"));
    QVERIFY(recorded.open(QIODevice::ReadOnly));
    QMap<QString, QStringList> expected;
    QString run;
    for (const QString &line : QString::fromUtf8(recorded.readAll()).split(u'\n')) {
        if (line.startsWith(u'#') || line.isEmpty())
            continue;
        if (line.startsWith(QLatin1String("run ")))
            run = line.mid(4);
        else
            expected[run].append(line);
    }
    for (const QString name : {"Wolt.tds", "Nuvel.opt", "a4-book.dat"})
        QVERIFY(QFile(path(name)).remove() || !QFile::exists(path(name)));
    for (const QString name : {"Wolt.tds", "Nuvel.opt", "a4-book.dat"})
        QVERIFY(QFile::copy(QFINDTESTDATA("../data/print/" + name), path(name)));
    const QMap<QString, QStringList> runs{
        {"four-up", {}}, {"four-up-five", {"--records", "1-5"}}, {"two-up", {"--two-up"}}};
    QCOMPARE(expected.keys(), runs.keys());
    for (auto at = runs.begin(); at != runs.end(); ++at) {
        const QString pdf = path(at.key() + ".pdf");
        QCOMPARE(this->run(QStringList{path("a4-book.dat"), pdf} + at.value()), 0);
        QStringList words;
        for (const PdfWord &word : pdfWords(pdf))
            words.append(QStringLiteral("%1 %2 %3 %4 %5 %6")
                             .arg(word.page)
                             .arg(word.box.left(), 0, 'f', 6)
                             .arg(word.box.top(), 0, 'f', 6)
                             .arg(word.box.right(), 0, 'f', 6)
                             .arg(word.box.bottom(), 0, 'f', 6)
                             .arg(word.text));
        // Drawing order is free, and a font or shaper update may move a word
        // by a hair; one off by more than 0.01 mm has moved.
        QStringList want = expected.value(at.key());
        QCOMPARE(words.size(), want.size());
        constexpr double Tolerance = 0.01 / 25.4 * 72; // points
        QList<bool> taken(words.size(), false);
        for (const QString &line : want) {
            const QStringList was = line.split(u' ');
            qsizetype found = -1;
            for (qsizetype i = 0; i < words.size() && found < 0; ++i) {
                const QStringList got = words.at(i).split(u' ');
                bool same = !taken.at(i) && got.at(0) == was.at(0) && got.mid(5) == was.mid(5);
                for (int c = 1; same && c <= 4; ++c)
                    same = std::abs(got.at(c).toDouble() - was.at(c).toDouble()) <= Tolerance;
                if (same)
                    found = i;
            }
            QVERIFY2(found >= 0, qPrintable(at.key() + QStringLiteral(": no word at ") + line));
            taken[found] = true;
        }
    }
}

void TestBatchPdf::longLinesStayInTheirQuarter() {
    // The longest lines the editor takes, on all four places of a sheet.
    const QString line = QStringLiteral("北海道札幌市中央区北一条西二十丁目１２３４５");
    const QString name = QStringLiteral("株式会社ＮＶＬ商事総務部事務局長代理補佐");
    QString book;
    for (int i = 0; i < 4; ++i)
        book += QStringLiteral("\"%1\",\"%2\",\"%2\",\"100-0005\",\"\",\"3\",\"%2\"\r\n")
                    .arg(name, line);
    writeBytes(path(QStringLiteral("long.dat")), cp932(book));
    const QString pdf = path(QStringLiteral("long.pdf"));
    QCOMPARE(run({path(QStringLiteral("long.dat")), pdf}), 0);
    constexpr double PointsPerMm = 72 / 25.4;
    int lines = 0;
    for (const PdfWord &word : pdfWords(pdf)) {
        const double quarterRight = word.box.left() < 105 * PointsPerMm ? 105 : 210;
        QVERIFY2(word.box.right() <= quarterRight * PointsPerMm,
                 qPrintable(QStringLiteral("%1 ends at %2 mm")
                                .arg(word.text)
                                .arg(word.box.right() / PointsPerMm)));
        lines += word.text == line;
    }
    QCOMPARE(lines, 4 * 3);
}

// print-pdf prints a card's 連名 from the book's companion.
void TestBatchPdf::jointNamesFromTheCompanion() {
    const QString book = path(QStringLiteral("book.dat"));
    {
        nvl::BookDocument document;
        QVERIFY(document.load(book).ok());
        document.setRecordData(
            0, nvl::withJointNames({}, {{QStringLiteral("花子"), QStringLiteral("ちゃん")}}));
        QVERIFY(document.save().ok());
    }
    const QString pdf = path(QStringLiteral("joint.pdf"));
    QCOMPARE(run({book, pdf, QStringLiteral("--records"), QStringLiteral("1,2")}), 0);
    QStringList texts;
    for (const PdfWord &word : pdfWords(pdf))
        texts.append(word.text);
    QVERIFY2(texts.contains(QStringLiteral("花子")) && texts.contains(QStringLiteral("ちゃん")),
             qPrintable(texts.join(u' ')));
    QCOMPARE(texts.count(QStringLiteral("花子")), 1); // the first card's only
}

// What the layout cannot fit even at its smallest size is printed and said,
// card by card; 連名 set from the start of a name typed whole are noted.
void TestBatchPdf::unfittedCardsNamed() {
    const QString book = path(QStringLiteral("hard.dat"));
    writeBytes(book, cp932(QStringLiteral("\"林誠\",\"東京都港区芝公園4-2-8\",\"\",\"105-0011\","
                                          "\"\",\"0\",\"\"\r\n"
                                          "\"長い人\",\"%1\",\"\",\"100-0001\",\"\",\"0\",\"\"\r\n"
                                          "\"普通\",\"東京都千代田区千代田1-1\",\"\",\"100-0001\","
                                          "\"\",\"0\",\"\"\r\n")
                               .arg(QString(1000, QChar(u'町')))));
    {
        nvl::BookDocument document;
        QVERIFY(document.load(book).ok());
        document.setRecordData(
            0, nvl::withJointNames({}, {{QStringLiteral("美香"), QStringLiteral("様")}}));
        QVERIFY(document.save().ok());
    }
    QString errors;
    QCOMPARE(run({book, path(QStringLiteral("hard.pdf"))}, &errors), 0);
    QVERIFY(QFileInfo(path(QStringLiteral("hard.pdf"))).size() > 0);
    QVERIFY2(errors.contains(
                 QStringLiteral("「林誠」：氏名に空白がないため連名を名前の頭にそろえました。")),
             qPrintable(errors));
    QVERIFY2(errors.contains(QStringLiteral("最も小さい文字でも入りきらず")) &&
                 errors.contains(QStringLiteral("長い人（町町")),
             qPrintable(errors));
    QVERIFY2(!errors.contains(QStringLiteral("普通")), qPrintable(errors));
}

// A code of blanks is no code: its boxes are left empty and the other
// cards print.
void TestBatchPdf::blankCodeIsEmpty() {
    const QString book = path(QStringLiteral("blank.dat"));
    writeBytes(book, cp932(QStringLiteral(
                         "\"一\",\"東京都千代田区千代田1-1\",\"\",\"100-0001\",\"\",\"0\",\"\"\r\n"
                         "\"二\",\"東京都千代田区千代田1-1\",\"\",\" \",\"\",\"0\",\"\"\r\n"
                         "\"三\",\"東京都千代田区千代田1-1\",\"\",\"　\",\"\",\"0\",\"\"\r\n")));
    const QString pdf = path(QStringLiteral("blank.pdf"));
    QString errors;
    QCOMPARE(run({book, pdf, QStringLiteral("--paper"), QStringLiteral("hagaki")}, &errors), 0);
    QCOMPARE(pdfPageCount(pdf), 3);
    QVERIFY2(errors.isEmpty(), qPrintable(errors));
    QStringList digits;
    for (const PdfWord &word : pdfWords(pdf))
        if (word.page > 1 && word.box.top() < 25 * 72 / 25.4)
            digits.append(word.text);
    QVERIFY2(digits.isEmpty(), qPrintable(digits.join(u' ')));
}

// Down, a viewer's search finds words along a column: poppler's search (as
// in Evince and Okular) on a vertical postcard.
void TestBatchPdf::verticalTextSearchable() {
    const QString book = path(QStringLiteral("search.dat"));
    writeBytes(book,
               cp932(QStringLiteral("\"山田 太郎\",\"東京都文京区本郷1-2-3\",\"本郷ハイツ101\","
                                    "\"113-0033\",\"\",\"0\",\"\"\r\n"
                                    "\"佐藤 花子\",\"東京都港区六本木6-10-1\",\"六本木タワー\","
                                    "\"106-0032\",\"\",\"0\",\"\"\r\n")));
    const QString pdf = path(QStringLiteral("search.pdf"));
    QCOMPARE(run({book, pdf, QStringLiteral("--paper"), QStringLiteral("hagaki"),
                  QStringLiteral("--vertical")}),
             0);
    // Each word found on its card, in its own column (mm from the left).
    QProcess search;
    search.start(
        QStringLiteral("/usr/bin/python3"),
        {QStringLiteral("-c"),
         QStringLiteral("import sys, gi\n"
                        "gi.require_version('Poppler', '0.18')\n"
                        "from gi.repository import Poppler\n"
                        "doc = Poppler.Document.new_from_file('file://' + sys.argv[1], None)\n"
                        "for word in sys.argv[2:]:\n"
                        "    for n in range(doc.get_n_pages()):\n"
                        "        for r in doc.get_page(n).find_text(word):\n"
                        "            print(word, n, round((r.x1 + r.x2) / 2 * 25.4 / 72))\n"),
         pdf, QStringLiteral("本郷ハイツ"), QStringLiteral("文京区"), QStringLiteral("タワー"),
         QStringLiteral("山田"), QStringLiteral("花子")});
    QVERIFY(search.waitForFinished(60000));
    QVERIFY2(search.exitCode() == 0, qPrintable(QString::fromUtf8(search.readAllStandardError())));
    const QStringList found =
        QString::fromUtf8(search.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
    // The address down the right (84 mm), the building beside it (77 mm),
    // the name down the middle.
    const QList<std::tuple<QString, int, int>> expected = {{QStringLiteral("本郷ハイツ"), 0, 77},
                                                           {QStringLiteral("文京区"), 0, 84},
                                                           {QStringLiteral("タワー"), 1, 77},
                                                           {QStringLiteral("山田"), 0, 50},
                                                           {QStringLiteral("花子"), 1, 50}};
    QCOMPARE(found.size(), expected.size());
    for (qsizetype i = 0; i < found.size(); ++i) {
        const QStringList parts = found.at(i).split(u' ');
        const auto &[word, page, column] = expected.at(i);
        QVERIFY2(parts.size() == 3 && parts.at(0) == word && parts.at(1).toInt() == page &&
                     std::abs(parts.at(2).toInt() - column) <= 4,
                 qPrintable(found.join(u'\n')));
    }
}

QTEST_APPLESS_MAIN(TestBatchPdf)
#include "tst_batchpdf.moc"
