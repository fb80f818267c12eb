// Contact files as import reads them: a 4 MB quoted-printable vCard, a
// 256 MB vCard of contacts with photos, and a CSV of 300 contacts. Each is
// read in a process of its own, which reports the time and its peak memory;
// and a CSV of the largest size the import reads.
#include "contactfile.h"
#include "foreigncsv.h"
#include "residentsize.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>

namespace {

int readOne(const QString &path) {
    QElapsedTimer timer;
    timer.start();
    const nvl::ContactFile file = nvl::readContactFile(path);
    nvl::ImportResult read = file.vcards;
    if (file.format == nvl::ImportFormat::Csv) {
        const nvl::CsvRead table = nvl::readCsvTable(file.csv);
        read = nvl::recordsFromTable(table.table, nvl::guessMapping(table.table.header));
    }
    std::printf("%8.1f ms  peak %7ld kB  %d contacts%s\n",
                static_cast<double>(timer.nsecsElapsed()) / 1e6, peakKb(), int(read.records.size()),
                file.ok() && read.ok() ? "" : "  (failed)");
    return 0;
}

void write(const QString &path, const std::function<void(QFile &)> &fill) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        qFatal("cannot write %s", qPrintable(path));
    fill(file);
}

} // namespace

int main(int argc, char *argv[]) {
    QCoreApplication app(argc, argv);
    if (argc == 3 && qstrcmp(argv[1], "--read") == 0)
        return readOne(QString::fromLocal8Bit(argv[2]));
    QTemporaryDir dir;
    const QString qp = dir.filePath(QStringLiteral("qp.vcf"));
    write(qp, [](QFile &f) {
        f.write("BEGIN:VCARD\r\nVERSION:2.1\r\nFN:長い住所\r\nADR;ENCODING=QUOTED-PRINTABLE:;;");
        for (qint64 written = 0; written < 4 * 1024 * 1024; written += 75)
            f.write(QByteArray(72, 'A') + "=\r\n");
        f.write("B;千代田区;東京都;;\r\nEND:VCARD\r\n");
    });
    const QString photos = dir.filePath(QStringLiteral("photos.vcf"));
    write(photos, [](QFile &f) {
        const QByteArray photo = QByteArray(" " + QByteArray(74, 'Q') + "\r\n").repeated(14000);
        for (int i = 0; f.size() < 256LL * 1024 * 1024; ++i)
            f.write("BEGIN:VCARD\r\nVERSION:3.0\r\nFN:写真" + QByteArray::number(i) +
                    "\r\nPHOTO;ENCODING=b;TYPE=JPEG:\r\n" + photo +
                    "ADR;TYPE=HOME:;;千代田1-1;千代田区;東京都;100-0001;\r\nEND:VCARD\r\n");
    });
    const QString csv = dir.filePath(QStringLiteral("contacts.csv"));
    write(csv, [](QFile &f) {
        f.write("\xEF\xBB\xBF氏名,郵便番号,住所,建物名\r\n");
        for (int i = 0; i < 300; ++i)
            f.write(QStringLiteral("山田 太郎%1,100-0001,東京都千代田区千代田%1-1,ハイツ%1\r\n")
                        .arg(i)
                        .toUtf8());
    });
    // The largest CSV import reads.
    const QString largest = dir.filePath(QStringLiteral("largest.csv"));
    write(largest, [](QFile &f) {
        f.write("\xEF\xBB\xBF氏名,郵便番号,住所,建物名\r\n");
        const QByteArray row =
            QStringLiteral("山田 太郎,100-0001,東京都千代田区千代田1-1,ハイツ\r\n").toUtf8();
        while (f.size() + row.size() <= nvl::ContactFile::MaxCsvBytes)
            f.write(row);
    });
    const std::pair<const char *, QString> cases[] = {
        {"4 MB quoted-printable vCard ", qp},
        {"256 MB vCard with photos    ", photos},
        {"CSV of 300 contacts         ", csv},
        {"CSV of 8 MB (its limit)     ", largest},
    };
    for (const auto &[name, path] : cases) {
        QProcess child;
        child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--read"), path});
        child.waitForFinished(600000);
        std::printf("%s %s", name, child.readAllStandardOutput().constData());
    }
    return 0;
}
