#include "cardrules.h"

#include "addressrecord.h"

namespace nvl {

QString registeredLabel(int cardNo, int cardCount) {
    return QStringLiteral("%1/%2").arg(cardNo).arg(cardCount);
}

QString newCardLabel(int cardNo) {
    return QStringLiteral("%1/新規").arg(cardNo);
}

int fieldLimit(WatchedField field) {
    switch (field) {
    case WatchedField::Name:
    case WatchedField::Code:
        return 20;
    case WatchedField::Address1:
    case WatchedField::Address2:
        return 22;
    case WatchedField::Zip:
        break;
    }
    return -1;
}

bool ChangeTracker::fieldChanged(WatchedField field, const QString &text) {
    modified = true;
    const int limit = fieldLimit(field);
    if (limit < 0)
        return true;
    lastLength = static_cast<int>(text.size());
    return lastLength <= limit;
}

int honorificIndexForList(const QString &field) {
    const int index = roundHalfEven(leadingNumber(field));
    return index >= -1 && index <= 5 ? index : -1;
}

} // namespace nvl
