#pragma once

#include "addressrecord.h"
#include "jointnames.h"
#include "verticallayout.h"

#include <QList>
#include <QPointF>
#include <QString>

namespace nvl {

// What the cards are printed on; each has its PaperLayout.
enum class Paper {
    A4FourUp,       // four postcards a sheet (通常 1s4p)
    A4TwoUp,        // two return postcards a sheet (往復 1s2p)
    Postcard,       // one postcard a page, 100 × 148 mm
    ReturnOutgoing, // one return postcard a page, 200 × 148 mm: the outgoing address side
    ReturnReply,    // the same paper: the reply address side, back to the sender
};

struct SenderLines {
    QString postalCode;
    QString address1;
    QString address2;
    QString name;
};

// The A4 sheets' offsets, in steps of 55 twips: across, down, and the
// bottom row's own.
struct SheetOffsets {
    double x = 0;
    double y = 0;
    double secondRow = 0;
};

// One print job, made once from the print window or from print-pdf's
// arguments and then drawn the same way on a printer, in the preview, in a
// PDF and in the window's card.
struct PrintJob {
    QList<AddressRecord> records;
    Paper paper = Paper::A4FourUp;
    bool vertical = false; // 縦書き; the postal-code digits stay where they are
    VerticalNumbers numbers = VerticalNumbers::Kanji;
    SheetOffsets sheetOffsets; // A4 sheets only
    QPointF offsetMm;          // postcard papers only: a printer's feed
    QString addressFont;
    QString postalFont;
    SenderLines sender;
    // Each record's 連名, by index; a record without an entry has none.
    QList<JointNames> jointNames;
    // The card year printed for, and by index whether each record is marked
    // 喪中 for it (named before printing).
    int cardYear = 0;
    QList<bool> mourning;

    JointNames jointNamesAt(int n) const { return jointNames.value(n); }
    bool onPostcards() const { return paper != Paper::A4FourUp && paper != Paper::A4TwoUp; }
    int cardCount() const { return static_cast<int>(records.size()); }
};

} // namespace nvl
