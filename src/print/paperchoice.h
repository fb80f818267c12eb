#pragma once

#include "postcardpaper.h"
#include "printjob.h"
#include "textfile.h"
#include "verticallayout.h"

#include <QPointF>
#include <QString>

namespace nvl {

// What the cards are printed on, and how they are written. The A4 sheets are the program's own
// settings files' business (Nuvel.opt); the postcard papers and their
// offsets are kept in a settings file of their own, so those files stay
// as they always were.
enum class PaperKind { A4Sheets, Postcard, ReturnPostcard };
enum class ReturnPostcardFace { Outgoing, Reply };

struct PaperChoice {
    PaperKind kind = PaperKind::A4Sheets;
    ReturnPostcardFace face = ReturnPostcardFace::Outgoing;
    // Postcard papers only: how far everything moves, for a printer's feed.
    QPointF offsetMm;
    // Vertical address sides (縦書き), on any paper.
    bool vertical = false;
    VerticalNumbers numbers = VerticalNumbers::Kanji;

    bool onPostcards() const { return kind != PaperKind::A4Sheets; }
    // The job's paper; `fourUp` picks the A4 sheets' kind.
    Paper paper(bool fourUp) const;

    static constexpr double MaxOffsetMm = 5.0;
    static QString settingsFileName() { return QStringLiteral("nvl-hagaki.ini"); }
};

// Missing or unreadable values give the defaults (A4 sheets, no offset);
// offsets are kept within ±MaxOffsetMm. A file that is there but cannot be
// read (a FIFO, a device) is named in `problem`.
PaperChoice readPaperChoice(const QString &path, QString *problem = nullptr);
WriteResult writePaperChoice(const QString &path, const PaperChoice &choice);

} // namespace nvl
