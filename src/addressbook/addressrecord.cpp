#include "addressrecord.h"

#include <algorithm>
#include <cmath>

namespace nvl {

QStringList AddressRecord::toList() const {
    return QStringList(fields.begin(), fields.end());
}

AddressRecord AddressRecord::fromList(const QStringList &values) {
    AddressRecord record;
    for (int i = 0; i < FieldCount && i < values.size(); ++i)
        record.fields.at(i) = values.at(i);
    return record;
}

static std::optional<double> parseLeadingNumber(const QString &text) {
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && (text.at(i) == u' ' || text.at(i) == u'\t'))
        ++i;
    const qsizetype start = i;
    if (i < n && (text.at(i) == u'+' || text.at(i) == u'-'))
        ++i;
    bool digits = false;
    while (i < n && text.at(i).isDigit() && text.at(i).unicode() < 0x80) {
        ++i;
        digits = true;
    }
    if (i < n && text.at(i) == u'.') {
        ++i;
        while (i < n && text.at(i).isDigit() && text.at(i).unicode() < 0x80) {
            ++i;
            digits = true;
        }
    }
    if (!digits)
        return std::nullopt;
    bool ok = false;
    const double value = text.mid(start, i - start).toDouble(&ok);
    if (!ok)
        return std::nullopt;
    return value;
}

double leadingNumber(const QString &text) {
    return parseLeadingNumber(text).value_or(0.0);
}

bool isNumericText(const QString &text) {
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return false;
    bool ok = false;
    trimmed.toDouble(&ok);
    return ok;
}

int roundHalfEven(double value) {
    if (!std::isfinite(value))
        return 0;
    const double clamped = std::clamp(value, -2147483648.0, 2147483647.0);
    return static_cast<int>(std::nearbyint(clamped)); // default mode: to nearest, ties to even
}

const QStringList &honorificWords() {
    static const QStringList words = {
        QStringLiteral("様"), QStringLiteral("殿"),   QStringLiteral("御中"),
        QStringLiteral("君"), QStringLiteral("先生"), QStringLiteral("行"),
    };
    return words;
}

QString honorificWord(const QString &field) {
    // A word the field holds (各位, さん, as other programs and older imports
    // wrote them) is printed as written.
    if (const QString text = field.trimmed(); !text.isEmpty() && !parseLeadingNumber(text))
        return text;
    // Read as a number and rounded half to even; an index outside the table
    // (-1 for a card with none chosen, or any other) selects no word.
    const int index = roundHalfEven(leadingNumber(field));
    if (index < 0 || index > 5)
        return {};
    return honorificWords().at(index);
}

} // namespace nvl
