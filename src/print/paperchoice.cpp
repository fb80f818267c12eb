#include "paperchoice.h"

#include "textfile.h"

#include <algorithm>
#include <cmath>
#include <map>

namespace nvl {

namespace {

const QString KindKey = QStringLiteral("paper/kind");
const QString FaceKey = QStringLiteral("paper/returnFace");
const QString OffsetXKey = QStringLiteral("paper/offsetXmm");
const QString OffsetYKey = QStringLiteral("paper/offsetYmm");
const QString VerticalKey = QStringLiteral("writing/vertical");
const QString NumbersKey = QStringLiteral("writing/numbers");

using IniValues = std::map<QString, QString>; // "section/key" -> value

// The INI form QSettings wrote this file in: [section] lines, then key=value.
IniValues parseIni(const QString &text) {
    IniValues values;
    QString section;
    for (const QString &raw : text.split(u'\n')) {
        const QString line = raw.trimmed();
        if (line.startsWith(u'[') && line.endsWith(u']')) {
            section = line.mid(1, line.size() - 2).trimmed();
        } else if (const qsizetype equals = line.indexOf(u'=');
                   equals > 0 && !line.startsWith(u';')) {
            values[section + u'/' + line.left(equals).trimmed()] = line.mid(equals + 1).trimmed();
        }
    }
    return values;
}

QString formatIni(const IniValues &values) {
    QString text;
    QString section;
    for (const auto &[key, value] : values) {
        const qsizetype slash = key.indexOf(u'/');
        if (key.left(slash) != section) {
            if (!section.isEmpty())
                text += u'\n';
            section = key.left(slash);
            text += u'[' + section + QStringLiteral("]\n");
        }
        text += key.mid(slash + 1) + u'=' + value + u'\n';
    }
    return text;
}

QString valueOf(const IniValues &values, const QString &key) {
    const auto found = values.find(key);
    return found == values.end() ? QString() : found->second;
}

double offset(const IniValues &values, const QString &key) {
    bool ok = false;
    const double value = valueOf(values, key).toDouble(&ok);
    return ok && std::isfinite(value)
               ? std::clamp(value, -PaperChoice::MaxOffsetMm, PaperChoice::MaxOffsetMm)
               : 0.0;
}

} // namespace

Paper PaperChoice::paper(bool fourUp) const {
    if (kind == PaperKind::Postcard)
        return Paper::Postcard;
    if (kind == PaperKind::ReturnPostcard)
        return face == ReturnPostcardFace::Reply ? Paper::ReturnReply : Paper::ReturnOutgoing;
    return fourUp ? Paper::A4FourUp : Paper::A4TwoUp;
}

PaperChoice readPaperChoice(const QString &path, QString *problem) {
    TextFileRead::Status status = TextFileRead::Status::Ok;
    const QByteArray bytes = readFileBytes(path, &status);
    // A FIFO or a device in its place is not read: it would block.
    if (status != TextFileRead::Status::Ok && status != TextFileRead::Status::Missing && problem)
        *problem = describeReadFailure(path, status);
    const IniValues settings = parseIni(QString::fromUtf8(bytes));
    PaperChoice choice;
    const QString kind = valueOf(settings, KindKey);
    if (kind == QLatin1String("postcard"))
        choice.kind = PaperKind::Postcard;
    else if (kind == QLatin1String("return-postcard"))
        choice.kind = PaperKind::ReturnPostcard;
    if (valueOf(settings, FaceKey) == QLatin1String("reply"))
        choice.face = ReturnPostcardFace::Reply;
    choice.offsetMm = {offset(settings, OffsetXKey), offset(settings, OffsetYKey)};
    choice.vertical = valueOf(settings, VerticalKey) == QLatin1String("true");
    if (valueOf(settings, NumbersKey) == QLatin1String("arabic"))
        choice.numbers = VerticalNumbers::Arabic;
    return choice;
}

WriteResult writePaperChoice(const QString &path, const PaperChoice &choice) {
    const char *kind = choice.kind == PaperKind::Postcard         ? "postcard"
                       : choice.kind == PaperKind::ReturnPostcard ? "return-postcard"
                                                                  : "a4-sheets";
    const IniValues values{
        {KindKey, QLatin1String(kind)},
        {FaceKey, choice.face == ReturnPostcardFace::Reply ? QStringLiteral("reply")
                                                           : QStringLiteral("outgoing")},
        {OffsetXKey, QString::number(choice.offsetMm.x())},
        {OffsetYKey, QString::number(choice.offsetMm.y())},
        {VerticalKey, choice.vertical ? QStringLiteral("true") : QStringLiteral("false")},
        {NumbersKey, choice.numbers == VerticalNumbers::Arabic ? QStringLiteral("arabic")
                                                               : QStringLiteral("kanji")},
    };
    // The same checked writer as every settings file, never through a link.
    return replaceFileContents(path, formatIni(values).toUtf8(), Links::Refuse);
}

} // namespace nvl
