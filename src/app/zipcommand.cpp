#include "zipcommand.h"

#include "postaldirectory.h"

#include <QCoreApplication>
#include <QStringList>

#include <cstdio>

namespace nvl {

int runZipCommand(int argc, char *argv[]) {
    QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    const QString usage = QCoreApplication::translate(
        "nvl::ZipCommand", "使い方 (usage): nvl-hagaki zip 郵便番号|住所\n"
                           "郵便番号から住所を、住所から郵便番号を引きます "
                           "(looks up a postal code or an address).");
    if (arguments.size() == 3 &&
        (arguments.at(2) == QLatin1String("--help") || arguments.at(2) == QLatin1String("-h"))) {
        std::printf("%s\n", qPrintable(usage));
        return 0;
    }
    if (arguments.size() != 3) {
        std::fprintf(stderr, "%s\n",
                     qPrintable(QCoreApplication::translate(
                         "nvl::ZipCommand", "使い方 (usage): nvl-hagaki zip 郵便番号|住所")));
        return 2;
    }
    const QString &asked = arguments.at(2);
    const PostalDirectory &directory = PostalDirectory::shipped();
    const QList<PostalPlace> places = normalizedPostalCode(asked).isEmpty()
                                          ? directory.byAddress(asked)
                                          : directory.byCode(asked);
    if (places.isEmpty()) {
        // The data may be older than the code, or lack an office's own code.
        const QString message =
            normalizedPostalCode(asked).isEmpty()
                ? QCoreApplication::translate("nvl::ZipCommand",
                                              "「%1」に当てはまる郵便番号はありません。")
                      .arg(asked)
                : QCoreApplication::translate(
                      "nvl::ZipCommand",
                      "「%"
                      "1」は手元の郵便番号データにありません（事業所の個別番号かもしれません）。")
                      .arg(asked);
        std::fprintf(stderr, "nvl-hagaki zip: %s\n", qPrintable(message));
        return 1;
    }
    for (const PostalPlace &place : places) {
        // A part of the town, a building's floor, a business's street and
        // name follow the town where the code has them.
        QStringList fields = {place.code, place.prefecture, place.municipality, place.town,
                              place.part, place.building,   place.street,       place.office};
        while (fields.size() > 4 && fields.constLast().isEmpty())
            fields.removeLast();
        std::printf("%s\n", fields.join(u'\t').toUtf8().constData());
    }
    return std::fflush(stdout) == 0 ? 0 : 1;
}

} // namespace nvl
