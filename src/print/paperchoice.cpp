#include "paperchoice.h"

#include <QSettings>

#include <algorithm>

namespace nvl {

namespace {

const QString KindKey = QStringLiteral("paper/kind");
const QString FaceKey = QStringLiteral("paper/returnFace");
const QString OffsetXKey = QStringLiteral("paper/offsetXmm");
const QString OffsetYKey = QStringLiteral("paper/offsetYmm");
const QString VerticalKey = QStringLiteral("writing/vertical");
const QString NumbersKey = QStringLiteral("writing/numbers");

double offset(const QSettings &settings, const QString &key) {
    bool ok = false;
    const double value = settings.value(key).toDouble(&ok);
    return ok ? std::clamp(value, -PaperChoice::MaxOffsetMm, PaperChoice::MaxOffsetMm) : 0.0;
}

} // namespace

QSizeF PaperChoice::paperMm() const {
    switch (kind) {
    case PaperKind::Postcard:
        return {postcard::WidthMm, postcard::HeightMm};
    case PaperKind::ReturnPostcard:
        return {ReturnPostcardWidthMm, postcard::HeightMm};
    case PaperKind::A4Sheets:
        break;
    }
    return {210, 297};
}

PaperChoice readPaperChoice(const QString &path) {
    const QSettings settings(path, QSettings::IniFormat);
    PaperChoice choice;
    const QString kind = settings.value(KindKey).toString();
    if (kind == QLatin1String("postcard"))
        choice.kind = PaperKind::Postcard;
    else if (kind == QLatin1String("return-postcard"))
        choice.kind = PaperKind::ReturnPostcard;
    if (settings.value(FaceKey).toString() == QLatin1String("reply"))
        choice.face = ReturnPostcardFace::Reply;
    choice.offsetMm = {offset(settings, OffsetXKey), offset(settings, OffsetYKey)};
    choice.vertical = settings.value(VerticalKey).toString() == QLatin1String("true");
    if (settings.value(NumbersKey).toString() == QLatin1String("arabic"))
        choice.numbers = VerticalNumbers::Arabic;
    return choice;
}

bool writePaperChoice(const QString &path, const PaperChoice &choice) {
    QSettings settings(path, QSettings::IniFormat);
    const char *kind = choice.kind == PaperKind::Postcard         ? "postcard"
                       : choice.kind == PaperKind::ReturnPostcard ? "return-postcard"
                                                                  : "a4-sheets";
    settings.setValue(KindKey, QLatin1String(kind));
    settings.setValue(FaceKey, choice.face == ReturnPostcardFace::Reply
                                   ? QStringLiteral("reply")
                                   : QStringLiteral("outgoing"));
    settings.setValue(OffsetXKey, choice.offsetMm.x());
    settings.setValue(OffsetYKey, choice.offsetMm.y());
    settings.setValue(VerticalKey,
                      choice.vertical ? QStringLiteral("true") : QStringLiteral("false"));
    settings.setValue(NumbersKey, choice.numbers == VerticalNumbers::Arabic
                                      ? QStringLiteral("arabic")
                                      : QStringLiteral("kanji"));
    settings.sync();
    return settings.status() == QSettings::NoError;
}

} // namespace nvl
