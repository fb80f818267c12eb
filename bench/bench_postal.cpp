// The postal-code data: what the first lookup costs (loading), what a
// lookup by code and by address takes afterwards, and how much memory the
// table holds. Targets: first use < 5 ms and < 2 MB, a lookup by code < 1 ms, by
// address < 10 ms.
#include "postaldirectory.h"
#include "residentsize.h"

#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>
#include <malloc.h>
#include <vector>

int main() {
    malloc_trim(0);
    const long before = residentKb();
    QElapsedTimer timer;
    timer.start();
    const nvl::PostalDirectory &directory = nvl::PostalDirectory::shipped();
    const double loadMs = static_cast<double>(timer.nsecsElapsed()) / 1e6;
    // The first lookups touch the table's pages for the first time.
    timer.restart();
    const auto firstCode = directory.byCode(QStringLiteral("1638001")).size();
    const double firstCodeMs = static_cast<double>(timer.nsecsElapsed()) / 1e6;
    timer.restart();
    const auto firstAddress =
        directory.byAddress(QStringLiteral("東京都千代田区丸の内2-4-1 丸の内ビルディング10階"))
            .size();
    const double firstAddressMs = static_cast<double>(timer.nsecsElapsed()) / 1e6;
    const double firstMs = firstCodeMs + firstAddressMs;
    malloc_trim(0);
    const long after = residentKb();

    const QStringList codes = {QStringLiteral("1000001"), QStringLiteral("0985701"),
                               QStringLiteral("9071801"), QStringLiteral("5300001"),
                               QStringLiteral("0000000")};
    constexpr int Rounds = 20000;
    int found = 0;
    std::vector<qint64> times;
    times.reserve(Rounds);
    for (int i = 0; i < Rounds; ++i) {
        timer.restart();
        found += static_cast<int>(directory.byCode(codes.at(i % codes.size())).size());
        times.push_back(timer.nsecsElapsed());
    }
    std::nth_element(times.begin(), times.begin() + Rounds / 2, times.end());
    const double codeUs = static_cast<double>(times.at(Rounds / 2)) / 1e3;
    // Addresses as typed into 住所１: the largest municipalities, numerals in
    // kanji, Kyoto's directions, one that matches nothing.
    const QStringList addresses = {
        QStringLiteral("東京都千代田区千代田1-1"),
        QStringLiteral("北海道札幌市中央区北一条西2丁目"),
        QStringLiteral("京都府京都市中京区寺町通御池上る上本能寺前町488"),
        QStringLiteral("大阪市北区梅田3-1-3"),
        QStringLiteral("どこでもない町1-1"),
        QStringLiteral("東京都千代田区丸の内2-4-1 丸の内ビルディング10階"),
        QStringLiteral("埼玉県川越市大字笠幡1234")};
    double addressMs = 0;
    int towns = 0;
    for (int round = 0; round < 20; ++round)
        for (const QString &address : addresses) {
            timer.restart();
            towns += static_cast<int>(directory.byAddress(address).size());
            addressMs = std::max(addressMs, static_cast<double>(timer.nsecsElapsed()) / 1e6);
        }

    std::printf("rows %d; first use (load) %.3f ms, resident +%ld kB\n", directory.rowCount(),
                loadMs, after - before);
    std::printf("first lookups (a code, an address): %.3f ms (%.3f + %.3f), %lld found\n", firstMs,
                firstCodeMs, firstAddressMs, static_cast<long long>(firstCode + firstAddress));
    std::printf("lookup by code: median %.2f us (%d found over %d lookups)\n", codeUs, found,
                Rounds);
    std::printf("lookup by address: slowest %.2f ms over %lld addresses (%d found)\n", addressMs,
                static_cast<long long>(addresses.size() * 20), towns);
    return directory.rowCount() > 0 ? 0 : 1;
}
