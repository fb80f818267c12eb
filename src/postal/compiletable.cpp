// Build step: compiles the postal-code data file into the table the
// program reads in place.
#include "postaldirectory.h"

#include <QFile>
#include <cstdio>

int main(int argc, char **argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s postalcodes.tsv postalcodes.bin\n", argv[0]);
        return 2;
    }
    QFile in(QString::fromLocal8Bit(argv[1]));
    if (!in.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read %s\n", argv[1]);
        return 1;
    }
    const QByteArray table = nvl::PostalDirectory::compile(in.readAll());
    if (table.isEmpty()) {
        std::fprintf(stderr, "%s: a row is malformed or out of order\n", argv[1]);
        return 1;
    }
    QFile out(QString::fromLocal8Bit(argv[2]));
    if (!out.open(QIODevice::WriteOnly) || out.write(table) != table.size() || !out.flush()) {
        std::fprintf(stderr, "cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
