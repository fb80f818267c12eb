// Reading and writing a full book of 300 records, as Open and the editor do.
#include "bookfile.h"

#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

nvl::AddressBook fullBook() {
    nvl::AddressBook book;
    for (int i = 1; i <= nvl::AddressBook::Capacity; ++i) {
        nvl::AddressRecord record;
        record.setField(nvl::AddressRecord::Name, QStringLiteral("山田 太郎%1").arg(i));
        record.setField(nvl::AddressRecord::Address1,
                        QStringLiteral("東京都千代田区丸の内%1").arg(i));
        record.setField(nvl::AddressRecord::Address2, QStringLiteral("一丁目2番3号, 4F"));
        record.setField(nvl::AddressRecord::PostalCode, QStringLiteral("100-0005"));
        record.setField(nvl::AddressRecord::Code, QStringLiteral("C%1").arg(i));
        record.setField(nvl::AddressRecord::Honorific, QString::number(i % 6));
        record.setField(nvl::AddressRecord::Address3, QStringLiteral("ＮＶＬビル"));
        book.records.append(record);
    }
    return book;
}

void BM_WriteBook300(benchmark::State &state) {
    QTemporaryDir dir;
    const QString path = dir.filePath("book.dat");
    const nvl::AddressBook book = fullBook();
    for (auto _ : state) {
        if (!nvl::writeBookFile(path, book))
            state.SkipWithError("write failed");
    }
}
BENCHMARK(BM_WriteBook300)->Unit(benchmark::kMicrosecond);

void BM_ReadBook300(benchmark::State &state) {
    QTemporaryDir dir;
    const QString path = dir.filePath("book.dat");
    nvl::writeBookFile(path, fullBook());
    for (auto _ : state) {
        const nvl::BookRead read = nvl::readBookFile(path);
        if (read.book.recordCount() != nvl::AddressBook::Capacity)
            state.SkipWithError("read failed");
        benchmark::DoNotOptimize(read);
    }
}
BENCHMARK(BM_ReadBook300)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
