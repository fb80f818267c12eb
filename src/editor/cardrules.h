#pragma once

#include <QString>
#include <array>

namespace nvl {

// The record label "3/12" for a registered card, "13/新規" for a new one.
QString registeredLabel(int cardNo, int cardCount);
QString newCardLabel(int cardNo);

// Fields whose changes are watched; the order indexes FieldSeen.
enum class WatchedField { Name, Address1, Address2, Code, Zip };

// Longest accepted text in UTF-16 code units, or -1 for no limit.
int fieldLimit(WatchedField field);

// Decides when the shown card counts as modified: the first accepted change
// of a watched field since opening clears the flag, every later one sets it.
class ChangeTracker {
public:
    bool modified = false;
    int lastLength = 0; // of the length-limited field changed last

    // False when the text is over the field's limit: then nothing changes
    // but the last length.
    bool fieldChanged(WatchedField field, const QString &text);
};

// The combo-box index for a stored honorific field: its leading number
// rounded half to even; -1 (no selection) when outside the table.
int honorificIndexForList(const QString &field);

} // namespace nvl
