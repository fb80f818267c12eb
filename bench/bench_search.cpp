// Typing in the main window's search box over the 300-record book, in the
// program wired as main() wires it: the time from each keystroke until the
// book list shows what matches (target: under 20 ms). Once with everyday
// records, once with every field, reading, 連名 and tag as long as a file
// may make them.
#include "jointnames.h"
#include "recordsearch.h"
#include "wiredprogram.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QListView>
#include <QTest>

namespace {

void fillCompanion(nvl::BookDocument &book, int length) {
    const QString longText = length > 0 ? QString(length, QChar(u'ア')) : QString();
    for (int row = 0; row < book.recordCount(); ++row) {
        const QString reading =
            longText.isEmpty() ? QStringLiteral("ヤマダ タロウ%1").arg(row) : longText;
        QList<nvl::JointName> joint;
        for (int n = 0; n < nvl::MaxJointNames; ++n)
            joint.append(
                {longText.isEmpty() ? QStringLiteral("花子") : longText, QStringLiteral("様")});
        QStringList tags{QStringLiteral("家族"), QStringLiteral("友人%1").arg(row % 7)};
        if (!longText.isEmpty())
            tags = {longText + QString::number(row), longText};
        book.setRecordData(
            row, nvl::withTags(nvl::withReading(nvl::withJointNames({}, joint), reading), tags));
        if (!longText.isEmpty()) {
            nvl::AddressRecord record = book.record(row + 1);
            for (int field : {nvl::AddressRecord::Name, nvl::AddressRecord::Address1,
                              nvl::AddressRecord::Address2, nvl::AddressRecord::Address3,
                              nvl::AddressRecord::Code})
                record.setField(field, longText);
            book.setRecord(row, record);
        }
    }
}

// The keys of every record worked out afresh: what the first keystroke
// after a change of the whole book pays.
double keysOfBook(const nvl::BookDocument &book) {
    QElapsedTimer timer;
    timer.start();
    qsizetype size = 0;
    for (int row = 0; row < book.recordCount(); ++row)
        size += nvl::searchKeys(book.record(row + 1), book.recordData(row)).text.size();
    return size > 0 ? double(timer.nsecsElapsed()) / 1e6 : 0;
}

QList<double> typeQueries(QLineEdit *search) {
    QList<double> times;
    QElapsedTimer timer;
    for (const QString &query : {QStringLiteral("やまだ"), QStringLiteral("ﾔﾏﾀﾞﾀﾛｳ12"),
                                 QStringLiteral("１００－０００１"), QStringLiteral("友人3")}) {
        search->clear();
        QCoreApplication::processEvents();
        for (const QChar c : query) {
            timer.start();
            search->insert(QString(c));
            QCoreApplication::processEvents();
            times.append(double(timer.nsecsElapsed()) / 1e6);
        }
    }
    search->clear();
    QCoreApplication::processEvents();
    return times;
}

} // namespace

int main(int argc, char *argv[]) {
    QApplication app(argc, argv);
    nvl::prepareApplication(app);
    WiredProgram program;
    using nvl::WindowId;
    program.window(WindowId::Main)->showForm();
    program.click(WindowId::Main, "cmdOpen");
    QCoreApplication::processEvents();
    auto *search =
        program.window(WindowId::Main)->findChild<QLineEdit *>(QStringLiteral("txtSearch"));
    auto *names = program.window(WindowId::Main)->findChild<QListView *>(QStringLiteral("lstSet1"));
    if (!search || !names || names->model()->rowCount() != 300) {
        std::fprintf(stderr, "no book list of 300 names\n");
        return 1;
    }
    fillCompanion(program.context.book, 0);
    report("keystroke, everyday records", typeQueries(search));
    report("  keys of the book", {keysOfBook(program.context.book)});
    // 1,000 characters a field: far beyond what the editor lets one type.
    fillCompanion(program.context.book, 1000);
    report("keystroke, 1,000-char fields", typeQueries(search));
    report("  keys of the book", {keysOfBook(program.context.book)});
    return 0;
}
