#pragma once

// The benchmarks' print job: 300 cards, every honorific, a building line,
// as a full book of real users looks, with a sender.
#include "fonts.h"
#include "printjob.h"

inline nvl::PrintJob benchJob() {
    nvl::PrintJob in;
    for (int i = 1; i <= 300; ++i) {
        nvl::AddressRecord r;
        r.setField(nvl::AddressRecord::Name, QStringLiteral("山田 太郎%1").arg(i));
        r.setField(nvl::AddressRecord::Address1, QStringLiteral("東京都千代田区丸の内%1").arg(i));
        r.setField(nvl::AddressRecord::Address2, QStringLiteral("一丁目2番3号"));
        r.setField(nvl::AddressRecord::PostalCode,
                   QStringLiteral("100-%1").arg(i, 4, 10, QChar(u'0')));
        r.setField(nvl::AddressRecord::Code, QStringLiteral("C%1").arg(i));
        r.setField(nvl::AddressRecord::Honorific, QString::number(i % 6));
        r.setField(nvl::AddressRecord::Address3, QStringLiteral("ＮＶＬビル %1階").arg(i % 30));
        in.records.append(r);
    }
    in.sender = {QStringLiteral("530-0001"), QStringLiteral("大阪府大阪市北区梅田1-1"),
                 QStringLiteral("梅田ビル 5F"), QStringLiteral("佐藤 一郎")};
    in.addressFont = in.postalFont = nvl::MinchoFontName;
    return in;
}
